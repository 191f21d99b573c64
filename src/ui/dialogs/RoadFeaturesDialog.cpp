#include "ui/dialogs/RoadFeaturesDialog.h"

#include "platform/Host.h"
#include "project/CTarloDoc.h"

#include <QComboBox>
#include <QTableWidget>

namespace tarlo {

namespace {

enum Column { TypeColumn, VehicleColumn, AdherenceColumn, StartColumn, EndColumn, ValueColumn };

QTableWidgetItem* numberItem(double value) {
    return new QTableWidgetItem(QString::asprintf("%.9f", value));
}

double cellNumber(const QTableWidget& grid, int row, int col) {
    const QTableWidgetItem* cell = grid.item(row, col);
    return cell ? cell->text().toDouble() : 0.0;
}

} // namespace

RoadFeaturesDialog::RoadFeaturesDialog(CTarloDoc& doc, Host& host, QWidget* parent)
    : ElementListDialog(
          "Road Features Configuration",
          {"Type", "Vehicle Types", "Adherence", "Start (m)", "End (m)", "Value/Lane"}, 760,
          "Feature", parent),
      m_Doc(doc), m_Host(host), m_vFeatures(doc.m_vRoadFeatures) {
    for (const CRoadFeature& feature : m_vFeatures) {
        grid()->insertRow(grid()->rowCount());
        fillRow(grid()->rowCount() - 1, feature);
    }
    relabelRows();
    setCommands([this] { addFeature(); }, [this] { deleteFeature(); });
}

void RoadFeaturesDialog::accept() {
    for (int row = 0; row < grid()->rowCount(); ++row)
        readRow(row, m_vFeatures[static_cast<std::size_t>(row)]);
    m_Doc.replaceRoadFeatures(m_vFeatures);
    QDialog::accept();
}

void RoadFeaturesDialog::addFeature() {
    m_vFeatures.emplace_back();
    grid()->insertRow(grid()->rowCount());
    fillRow(grid()->rowCount() - 1, m_vFeatures.back());
    relabelRows();
}

void RoadFeaturesDialog::deleteFeature() {
    const int row = selectedRow();
    if (row < 0) {
        m_Host.showMessage("No road feature to delete.", MessageIcon::Exclamation);
        return;
    }
    m_vFeatures.erase(m_vFeatures.begin() + row);
    grid()->removeRow(row);
    relabelRows();
}

void RoadFeaturesDialog::fillRow(int row, const CRoadFeature& feature) {
    grid()->setCellWidget(row, TypeColumn,
                          labelBox(feature.getTypeLabels(), feature.typeLabel(feature.getType())));
    grid()->setCellWidget(
        row, VehicleColumn,
        labelBox(feature.getVehicleLabels(), feature.vehicleLabel(feature.getFeatVehType())));
    grid()->setItem(row, AdherenceColumn, numberItem(feature.getAdherence()));
    grid()->setItem(row, StartColumn, numberItem(feature.getStart()));
    grid()->setItem(row, EndColumn, numberItem(feature.getEnd()));
    grid()->setItem(row, ValueColumn, numberItem(feature.getValue()));
}

void RoadFeaturesDialog::readRow(int row, CRoadFeature& feature) const {
    const auto choice = [this, row](int col) {
        return static_cast<QComboBox*>(grid()->cellWidget(row, col))->currentText().toStdString();
    };
    feature.setType(feature.typeCode(choice(TypeColumn)));
    feature.setFeatVehType(feature.vehicleCode(choice(VehicleColumn)));
    feature.setAdherence(cellNumber(*grid(), row, AdherenceColumn));
    feature.setStart(static_cast<int>(cellNumber(*grid(), row, StartColumn)));
    feature.setEnd(static_cast<int>(cellNumber(*grid(), row, EndColumn)));
    feature.setValue(cellNumber(*grid(), row, ValueColumn));
}

} // namespace tarlo
