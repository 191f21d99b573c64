#include "ui/dialogs/ElementListDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace tarlo {

ElementListDialog::ElementListDialog(const QString& title, const QStringList& headers,
                                     int minimumWidth, QString rowName, QWidget* parent)
    : QDialog(parent), m_RowName(std::move(rowName)) {
    setWindowTitle(title);
    m_pGrid = new QTableWidget(0, static_cast<int>(headers.size()), this);
    m_pGrid->setHorizontalHeaderLabels(headers);
    m_pGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_pGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pGrid->setMinimumWidth(minimumWidth);

    auto* add = new QPushButton("Add", this);
    connect(add, &QPushButton::clicked, this, [this] { m_Add(); });
    auto* remove = new QPushButton("Delete", this);
    connect(remove, &QPushButton::clicked, this, [this] { m_Remove(); });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* commands = new QHBoxLayout;
    commands->addWidget(add);
    commands->addWidget(remove);
    commands->addStretch();
    commands->addWidget(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pGrid);
    layout->addLayout(commands);
}

void ElementListDialog::setCommands(const std::function<void()>& add,
                                    const std::function<void()>& remove) {
    m_Add = add;
    m_Remove = remove;
}

int ElementListDialog::selectedRow() const {
    const int row = m_pGrid->currentRow();
    return m_pGrid->selectionModel()->hasSelection() ? row : -1;
}

void ElementListDialog::relabelRows() {
    for (int row = 0; row < m_pGrid->rowCount(); ++row)
        m_pGrid->setVerticalHeaderItem(
            row, new QTableWidgetItem(m_RowName + QString(" %1").arg(row + 1)));
}

QComboBox* ElementListDialog::labelBox(const std::vector<std::string>& labels,
                                       const std::string& current) {
    auto* box = new QComboBox;
    for (const std::string& label : labels)
        box->addItem(QString::fromStdString(label));
    box->setCurrentText(QString::fromStdString(current));
    return box;
}

} // namespace tarlo
