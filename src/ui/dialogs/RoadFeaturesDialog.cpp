#include "ui/dialogs/RoadFeaturesDialog.h"

#include "platform/Host.h"
#include "project/CTarloDoc.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace tarlo {

namespace {

enum Column { TypeColumn, VehicleColumn, AdherenceColumn, StartColumn, EndColumn, ValueColumn };

QComboBox* labelBox(const std::vector<std::string>& labels, const std::string& current) {
    auto* box = new QComboBox;
    for (const std::string& label : labels)
        box->addItem(QString::fromStdString(label));
    box->setCurrentText(QString::fromStdString(current));
    return box;
}

QTableWidgetItem* numberItem(double value) {
    return new QTableWidgetItem(QString::asprintf("%.9f", value));
}

double cellNumber(const QTableWidget& grid, int row, int col) {
    const QTableWidgetItem* cell = grid.item(row, col);
    return cell ? cell->text().toDouble() : 0.0;
}

} // namespace

RoadFeaturesDialog::RoadFeaturesDialog(CTarloDoc& doc, Host& host, QWidget* parent)
    : QDialog(parent), m_Doc(doc), m_Host(host), m_vFeatures(doc.m_vRoadFeatures) {
    setWindowTitle("Road Features Configuration");
    m_pGrid = new QTableWidget(0, 6, this);
    m_pGrid->setHorizontalHeaderLabels(
        {"Type", "Vehicle Types", "Adherence", "Start (m)", "End (m)", "Value/Lane"});
    m_pGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_pGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pGrid->setMinimumWidth(760);
    for (const CRoadFeature& feature : m_vFeatures) {
        m_pGrid->insertRow(m_pGrid->rowCount());
        fillRow(m_pGrid->rowCount() - 1, feature);
    }
    relabelRows();

    auto* add = new QPushButton("Add", this);
    connect(add, &QPushButton::clicked, this, &RoadFeaturesDialog::addFeature);
    auto* remove = new QPushButton("Delete", this);
    connect(remove, &QPushButton::clicked, this, &RoadFeaturesDialog::deleteFeature);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &RoadFeaturesDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &RoadFeaturesDialog::reject);
    auto* commands = new QHBoxLayout;
    commands->addWidget(add);
    commands->addWidget(remove);
    commands->addStretch();
    commands->addWidget(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pGrid);
    layout->addLayout(commands);
}

void RoadFeaturesDialog::accept() {
    for (int row = 0; row < m_pGrid->rowCount(); ++row)
        readRow(row, m_vFeatures[static_cast<std::size_t>(row)]);
    m_Doc.replaceRoadFeatures(m_vFeatures);
    QDialog::accept();
}

void RoadFeaturesDialog::addFeature() {
    m_vFeatures.emplace_back();
    m_pGrid->insertRow(m_pGrid->rowCount());
    fillRow(m_pGrid->rowCount() - 1, m_vFeatures.back());
    relabelRows();
}

void RoadFeaturesDialog::deleteFeature() {
    const int row = m_pGrid->currentRow();
    if (row < 0 || !m_pGrid->selectionModel()->hasSelection()) {
        m_Host.showMessage("No road feature to delete.", MessageIcon::Exclamation);
        return;
    }
    m_vFeatures.erase(m_vFeatures.begin() + row);
    m_pGrid->removeRow(row);
    relabelRows();
}

void RoadFeaturesDialog::fillRow(int row, const CRoadFeature& feature) {
    m_pGrid->setCellWidget(row, TypeColumn,
                           labelBox(feature.getTypeLabels(), feature.typeLabel(feature.getType())));
    m_pGrid->setCellWidget(
        row, VehicleColumn,
        labelBox(feature.getVehicleLabels(), feature.vehicleLabel(feature.getFeatVehType())));
    m_pGrid->setItem(row, AdherenceColumn, numberItem(feature.getAdherence()));
    m_pGrid->setItem(row, StartColumn, numberItem(feature.getStart()));
    m_pGrid->setItem(row, EndColumn, numberItem(feature.getEnd()));
    m_pGrid->setItem(row, ValueColumn, numberItem(feature.getValue()));
}

void RoadFeaturesDialog::readRow(int row, CRoadFeature& feature) const {
    const auto choice = [this, row](int col) {
        return static_cast<QComboBox*>(m_pGrid->cellWidget(row, col))->currentText().toStdString();
    };
    feature.setType(feature.typeCode(choice(TypeColumn)));
    feature.setFeatVehType(feature.vehicleCode(choice(VehicleColumn)));
    feature.setAdherence(cellNumber(*m_pGrid, row, AdherenceColumn));
    feature.setStart(static_cast<int>(cellNumber(*m_pGrid, row, StartColumn)));
    feature.setEnd(static_cast<int>(cellNumber(*m_pGrid, row, EndColumn)));
    feature.setValue(cellNumber(*m_pGrid, row, ValueColumn));
}

void RoadFeaturesDialog::relabelRows() {
    for (int row = 0; row < m_pGrid->rowCount(); ++row)
        m_pGrid->setVerticalHeaderItem(row,
                                       new QTableWidgetItem(QString("Feature %1").arg(row + 1)));
}

} // namespace tarlo
