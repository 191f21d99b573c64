#include "ui/dialogs/DetectorsDialog.h"

#include "detectors/DetectorCodes.h"
#include "platform/Host.h"
#include "project/CTarloDoc.h"
#include "ui/panes/PropertyPages.h"

#include <QComboBox>
#include <QTableWidget>

namespace tarlo {

namespace {

constexpr int ParameterCount = 3;

int storedValue(const CStatDetector& detector, int column) {
    switch (column) {
    case DetectorsDialog::IntervalColumn:
        return detector.getTimeInterval();
    case DetectorsDialog::ParamAColumn:
        return detector.getParamA();
    case DetectorsDialog::ParamBColumn:
        return detector.getParamB();
    default:
        return detector.getParamC();
    }
}

void storeValue(CStatDetector& detector, int column, int value) {
    switch (column) {
    case DetectorsDialog::IntervalColumn:
        detector.setTimeInterval(value);
        break;
    case DetectorsDialog::ParamAColumn:
        detector.setParamA(value);
        break;
    case DetectorsDialog::ParamBColumn:
        detector.setParamB(value);
        break;
    default:
        detector.setParamC(value);
        break;
    }
}

} // namespace

DetectorsDialog::DetectorsDialog(CTarloDoc& doc, Host& host, QWidget* parent)
    : ElementListDialog("Macroscopic Traffic Flow Metrics Detectors",
                        {"Type", "Vehicle Types", "Direction: positive x", "Time Interval (s)",
                         "Parameter A", "Parameter B", "Parameter C"},
                        860, "Detector", parent),
      m_Doc(doc), m_Host(host), m_vDetectors(doc.m_vStatDetectors) {
    for (std::size_t i = 0; i < m_vDetectors.size(); ++i) {
        grid()->insertRow(grid()->rowCount());
        fillRow(grid()->rowCount() - 1);
    }
    relabelRows();
    connect(grid(), &QTableWidget::cellChanged, this, &DetectorsDialog::cellEdited);
    setCommands([this] { addDetector(); }, [this] { deleteDetector(); });
}

// The detector rules leave every whole number to the run's validation, as the property
// page does, so OK has nothing to refuse.
void DetectorsDialog::accept() {
    m_Doc.replaceStatDetectors(m_vDetectors);
    QDialog::accept();
}

void DetectorsDialog::addDetector() {
    m_vDetectors.emplace_back();
    grid()->insertRow(grid()->rowCount());
    fillRow(grid()->rowCount() - 1);
    relabelRows();
}

void DetectorsDialog::deleteDetector() {
    const int row = selectedRow();
    if (row < 0) {
        m_Host.showMessage("No statistics detector to delete.", MessageIcon::Exclamation);
        return;
    }
    m_vDetectors.erase(m_vDetectors.begin() + row);
    grid()->removeRow(row);
    relabelRows();
}

void DetectorsDialog::fillRow(int row) {
    m_bFilling = true;
    const CStatDetector& detector = m_vDetectors[static_cast<std::size_t>(row)];
    QComboBox* kind =
        labelBox(detector.getTypeLabels(), detector.kindLabel(detector.getDetectorName()));
    grid()->setCellWidget(row, TypeColumn, kind);
    QComboBox* filter = labelBox(detector.getVehicleLabels(),
                                 detector.filterLabel(detector.getDetectorVehicleType()));
    grid()->setCellWidget(row, VehicleColumn, filter);
    // The boxes find their detector by the row they sit in, which deletions change.
    const auto rowOf = [this](QWidget* box) {
        for (int r = 0; r < grid()->rowCount(); ++r)
            if (grid()->cellWidget(r, TypeColumn) == box ||
                grid()->cellWidget(r, VehicleColumn) == box)
                return r;
        return -1;
    };
    connect(kind, &QComboBox::currentTextChanged, this, [this, kind, rowOf](const QString& text) {
        const int r = rowOf(kind);
        CStatDetector& edited = m_vDetectors[static_cast<std::size_t>(r)];
        edited.setDetectorName(edited.kindCode(text.toStdString()));
        markParameters(r);
    });
    connect(filter, &QComboBox::currentTextChanged, this,
            [this, filter, rowOf](const QString& text) {
                CStatDetector& edited = m_vDetectors[static_cast<std::size_t>(rowOf(filter))];
                edited.setDetectorVehicleType(edited.filterCode(text.toStdString()));
            });

    auto* direction = new QTableWidgetItem;
    direction->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
    direction->setCheckState(detector.getDirPos() ? Qt::Checked : Qt::Unchecked);
    grid()->setItem(row, DirectionColumn, direction);
    for (int column = IntervalColumn; column <= ParamCColumn; ++column)
        grid()->setItem(row, column,
                        new QTableWidgetItem(QString::number(storedValue(detector, column))));
    m_bFilling = false;
    markParameters(row);
}

void DetectorsDialog::markParameters(int row) {
    m_bFilling = true;
    const QStringList labels =
        detectorParameterLabels(m_vDetectors[static_cast<std::size_t>(row)].getDetectorType());
    for (int i = 0; i < ParameterCount; ++i) {
        QTableWidgetItem* cell = grid()->item(row, ParamAColumn + i);
        const bool used = i < labels.size();
        cell->setFlags(used ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable
                            : Qt::ItemIsSelectable);
        cell->setToolTip(used ? labels[i] : QString());
    }
    m_bFilling = false;
}

void DetectorsDialog::cellEdited(int row, int column) {
    if (m_bFilling)
        return;
    CStatDetector& detector = m_vDetectors[static_cast<std::size_t>(row)];
    QTableWidgetItem* cell = grid()->item(row, column);
    if (column == DirectionColumn) {
        detector.setDirPos(cell->checkState() == Qt::Checked);
        return;
    }
    bool number = false;
    const int value = cell->text().trimmed().toInt(&number);
    if (number)
        storeValue(detector, column, value);
    m_bFilling = true;
    cell->setText(QString::number(storedValue(detector, column)));
    m_bFilling = false;
}

} // namespace tarlo
