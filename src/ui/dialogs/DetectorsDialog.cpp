#include "ui/dialogs/DetectorsDialog.h"

#include "detectors/DetectorCodes.h"
#include "platform/Host.h"
#include "project/CTarloDoc.h"
#include "ui/panes/PropertyPages.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace tarlo {

namespace {

constexpr int ParameterCount = 3;

QComboBox* labelBox(const std::vector<std::string>& labels, const std::string& current) {
    auto* box = new QComboBox;
    for (const std::string& label : labels)
        box->addItem(QString::fromStdString(label));
    box->setCurrentText(QString::fromStdString(current));
    return box;
}

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
    : QDialog(parent), m_Doc(doc), m_Host(host), m_vDetectors(doc.m_vStatDetectors) {
    setWindowTitle("Macroscopic Traffic Flow Metrics Detectors");
    m_pGrid = new QTableWidget(0, 7, this);
    m_pGrid->setHorizontalHeaderLabels({"Type", "Vehicle Types", "Direction: positive x",
                                        "Time Interval (s)", "Parameter A", "Parameter B",
                                        "Parameter C"});
    m_pGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_pGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pGrid->setMinimumWidth(860);
    for (std::size_t i = 0; i < m_vDetectors.size(); ++i) {
        m_pGrid->insertRow(m_pGrid->rowCount());
        fillRow(m_pGrid->rowCount() - 1);
    }
    relabelRows();
    connect(m_pGrid, &QTableWidget::cellChanged, this, &DetectorsDialog::cellEdited);

    auto* add = new QPushButton("Add", this);
    connect(add, &QPushButton::clicked, this, &DetectorsDialog::addDetector);
    auto* remove = new QPushButton("Delete", this);
    connect(remove, &QPushButton::clicked, this, &DetectorsDialog::deleteDetector);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &DetectorsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &DetectorsDialog::reject);
    auto* commands = new QHBoxLayout;
    commands->addWidget(add);
    commands->addWidget(remove);
    commands->addStretch();
    commands->addWidget(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pGrid);
    layout->addLayout(commands);
}

// The detector rules leave every whole number to the run's validation, as the property
// page does, so OK has nothing to refuse.
void DetectorsDialog::accept() {
    m_Doc.replaceStatDetectors(m_vDetectors);
    QDialog::accept();
}

void DetectorsDialog::addDetector() {
    m_vDetectors.emplace_back();
    m_pGrid->insertRow(m_pGrid->rowCount());
    fillRow(m_pGrid->rowCount() - 1);
    relabelRows();
}

void DetectorsDialog::deleteDetector() {
    const int row = m_pGrid->currentRow();
    if (row < 0 || !m_pGrid->selectionModel()->hasSelection()) {
        m_Host.showMessage("No statistics detector to delete.", MessageIcon::Exclamation);
        return;
    }
    m_vDetectors.erase(m_vDetectors.begin() + row);
    m_pGrid->removeRow(row);
    relabelRows();
}

void DetectorsDialog::fillRow(int row) {
    m_bFilling = true;
    const CStatDetector& detector = m_vDetectors[static_cast<std::size_t>(row)];
    QComboBox* kind =
        labelBox(detector.getTypeLabels(), detector.kindLabel(detector.getDetectorName()));
    m_pGrid->setCellWidget(row, TypeColumn, kind);
    QComboBox* filter = labelBox(detector.getVehicleLabels(),
                                 detector.filterLabel(detector.getDetectorVehicleType()));
    m_pGrid->setCellWidget(row, VehicleColumn, filter);
    // The boxes find their detector by the row they sit in, which deletions change.
    const auto rowOf = [this](QWidget* box) {
        for (int r = 0; r < m_pGrid->rowCount(); ++r)
            if (m_pGrid->cellWidget(r, TypeColumn) == box ||
                m_pGrid->cellWidget(r, VehicleColumn) == box)
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
    m_pGrid->setItem(row, DirectionColumn, direction);
    for (int column = IntervalColumn; column <= ParamCColumn; ++column)
        m_pGrid->setItem(row, column,
                         new QTableWidgetItem(QString::number(storedValue(detector, column))));
    m_bFilling = false;
    markParameters(row);
}

void DetectorsDialog::markParameters(int row) {
    m_bFilling = true;
    const QStringList labels =
        detectorParameterLabels(m_vDetectors[static_cast<std::size_t>(row)].getDetectorType());
    for (int i = 0; i < ParameterCount; ++i) {
        QTableWidgetItem* cell = m_pGrid->item(row, ParamAColumn + i);
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
    QTableWidgetItem* cell = m_pGrid->item(row, column);
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

void DetectorsDialog::relabelRows() {
    for (int row = 0; row < m_pGrid->rowCount(); ++row)
        m_pGrid->setVerticalHeaderItem(row,
                                       new QTableWidgetItem(QString("Detector %1").arg(row + 1)));
}

} // namespace tarlo
