#include "ui/dialogs/VehicleTypesDialog.h"

#include "vehicles/CVehicleType.h"
#include "vehicles/VehicleTypeCriterion.h"

#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace tarlo {

namespace {

QString toQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString limitText(double value) {
    return QString::asprintf("%.9f", value);
}

// COLORREF is 0x00BBGGRR.
QColor fromColorRef(std::uint32_t value) {
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

std::uint32_t toColorRef(const QColor& colour) {
    return static_cast<std::uint32_t>(colour.red()) |
           (static_cast<std::uint32_t>(colour.green()) << 8) |
           (static_cast<std::uint32_t>(colour.blue()) << 16);
}

} // namespace

VehicleTypesDialog::VehicleTypesDialog(const CVehicleTypes& types, QWidget* parent)
    : QDialog(parent), m_Types(types), m_pTypeList(new QListWidget(this)),
      m_pCriteria(new QTableWidget(std::size(RowCriteria), 2, this)),
      m_pImportance(new QComboBox(this)), m_pColour(new QPushButton(this)) {
    setWindowTitle("Vehicle Type Definitions");
    for (std::size_t i = 0; i < m_Types.size(); ++i)
        m_pTypeList->addItem(QString("%1 - %2").arg(i + 1).arg(
            QString::fromStdString(m_Types.getType(i)->getName())));
    m_pCriteria->setHorizontalHeaderLabels({"Low Inclusive Limit", "High Inclusive Limit"});
    QStringList rows;
    for (unsigned id : RowCriteria)
        rows << toQString(VehicleTypeCriterion::rowLabel(id));
    m_pCriteria->setVerticalHeaderLabels(rows);
    m_pCriteria->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    for (int importance = 0; importance < 3; ++importance)
        m_pImportance->addItem(toQString(CVehicleType::importanceLabel(importance)));

    connect(m_pTypeList, &QListWidget::currentRowChanged, this, [this] { showType(); });
    connect(m_pCriteria, &QTableWidget::cellChanged, this, &VehicleTypesDialog::limitEdited);
    connect(m_pImportance, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!m_bShowing && index >= 0)
            current().setImportance(index);
    });
    connect(m_pColour, &QPushButton::clicked, this, &VehicleTypesDialog::pickColour);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* details = new QFormLayout;
    details->addRow("Importance", m_pImportance);
    details->addRow("Colour", m_pColour);
    auto* right = new QVBoxLayout;
    right->addWidget(m_pCriteria, 1);
    right->addLayout(details);
    auto* columns = new QHBoxLayout;
    columns->addWidget(m_pTypeList);
    columns->addLayout(right, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addWidget(buttons);
    m_pTypeList->setMaximumWidth(160);
    resize(720, 320);
    m_pTypeList->setCurrentRow(0);
}

void VehicleTypesDialog::setColour(const QColor& colour) {
    if (!colour.isValid())
        return;
    current().setColor(toColorRef(colour));
    showType();
}

CVehicleType& VehicleTypesDialog::current() {
    return *m_Types.getType(static_cast<std::size_t>(std::max(0, m_pTypeList->currentRow())));
}

void VehicleTypesDialog::showType() {
    m_bShowing = true;
    const CVehicleType& type = current();
    for (int row = 0; row < m_pCriteria->rowCount(); ++row) {
        const VehicleTypeCriterion* criterion = type.getCriterion(RowCriteria[row]);
        m_pCriteria->setItem(row, 0, new QTableWidgetItem(limitText(criterion->getLow())));
        m_pCriteria->setItem(row, 1, new QTableWidgetItem(limitText(criterion->getHigh())));
    }
    m_pImportance->setCurrentIndex(type.getImportance());
    const QColor colour = fromColorRef(type.getColor());
    QPixmap swatch(24, 14);
    swatch.fill(colour);
    m_pColour->setIcon(QIcon(swatch));
    m_pColour->setText(colour.name());
    m_bShowing = false;
}

void VehicleTypesDialog::limitEdited(int row, int column) {
    if (m_bShowing)
        return;
    VehicleTypeCriterion* criterion = current().getCriterion(RowCriteria[row]);
    bool number = false;
    const double value = m_pCriteria->item(row, column)->text().trimmed().toDouble(&number);
    if (number) {
        if (column == 0)
            criterion->setLimits(value, criterion->getHigh());
        else
            criterion->setLimits(criterion->getLow(), value);
    }
    m_bShowing = true;
    m_pCriteria->item(row, column)
        ->setText(limitText(column == 0 ? criterion->getLow() : criterion->getHigh()));
    m_bShowing = false;
}

void VehicleTypesDialog::pickColour() {
    setColour(QColorDialog::getColor(fromColorRef(current().getColor()), this));
}

} // namespace tarlo
