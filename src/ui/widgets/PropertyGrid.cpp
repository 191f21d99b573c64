#include "ui/widgets/PropertyGrid.h"

#include <QComboBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QPixmap>
#include <QRegularExpression>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tarlo {

namespace {

constexpr int labelColumn = 0;
constexpr int valueColumn = 1;
constexpr int swatchSize = 12;

QColor colourOf(unsigned colour) {
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

QString colourText(unsigned colour) {
    const QColor c = colourOf(colour);
    return QString("%1, %2, %3").arg(c.red()).arg(c.green()).arg(c.blue());
}

// "R, G, B" with each part 0..255, or a plain number.
bool parseColour(const QString& text, unsigned& colour) {
    const QStringList parts = text.split(QRegularExpression("[,; ]+"), Qt::SkipEmptyParts);
    if (parts.size() == 1) {
        bool ok = false;
        colour = parts[0].toUInt(&ok);
        return ok;
    }
    if (parts.size() != 3)
        return false;
    unsigned value = 0;
    for (int i = 2; i >= 0; --i) {
        bool ok = false;
        const unsigned part = parts[i].toUInt(&ok);
        if (!ok || part > 255)
            return false;
        value = value * 256 + part;
    }
    colour = value;
    return true;
}

// The value an edit hands to a row's setter, converted from what the editor or the caller
// gives; an invalid QVariant when the text means nothing for the row.
QVariant editValue(const PropertyGrid::Row& row, const QVariant& value) {
    bool ok = false;
    switch (row.editor) {
    case PropertyGrid::Editor::Number: {
        const double number = value.toString().trimmed().toDouble(&ok);
        return ok ? QVariant(number) : QVariant();
    }
    case PropertyGrid::Editor::Integer: {
        const int number = value.toString().trimmed().toInt(&ok);
        return ok ? QVariant(number) : QVariant();
    }
    case PropertyGrid::Editor::Check:
        return value.toBool();
    case PropertyGrid::Editor::Choice: {
        if (value.typeId() == QMetaType::QString) {
            const int index = row.choices.indexOf(value.toString());
            return index >= 0 ? QVariant(index) : QVariant();
        }
        const int index = value.toInt(&ok);
        return ok && index >= 0 && index < row.choices.size() ? QVariant(index) : QVariant();
    }
    case PropertyGrid::Editor::Colour: {
        unsigned colour = 0;
        return parseColour(value.toString(), colour) ? QVariant(colour) : QVariant();
    }
    case PropertyGrid::Editor::ReadOnly:
        return {};
    default:
        return value.toString();
    }
}

QString displayText(const PropertyGrid::Row& row, const QVariant& value) {
    switch (row.editor) {
    case PropertyGrid::Editor::Number:
        return QString::number(value.toDouble(), 'g', 12);
    case PropertyGrid::Editor::Check:
        return value.toBool() ? "True" : "False";
    case PropertyGrid::Editor::Choice: {
        // A getter may give a text of its own where no choice applies yet.
        if (value.typeId() == QMetaType::QString)
            return value.toString();
        const int index = value.toInt();
        return index >= 0 && index < row.choices.size() ? row.choices[index] : QString();
    }
    case PropertyGrid::Editor::Colour:
        return colourText(value.toUInt());
    default:
        return value.toString();
    }
}

// Editors in the value column: a line for text, numbers and colours, a list for choices.
// Checks toggle in place and the pickers open their dialogs, so they need none.
class PropertyDelegate : public QStyledItemDelegate {
public:
    explicit PropertyDelegate(PropertyGrid& grid) : QStyledItemDelegate(&grid), m_Grid(grid) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex& index) const override {
        const PropertyGrid::Row* row = rowAt(index);
        if (!row || index.column() != valueColumn)
            return nullptr;
        switch (row->editor) {
        case PropertyGrid::Editor::Text:
        case PropertyGrid::Editor::Number:
        case PropertyGrid::Editor::Integer:
        case PropertyGrid::Editor::Colour:
            return new QLineEdit(parent);
        case PropertyGrid::Editor::Choice: {
            auto* box = new QComboBox(parent);
            box->addItems(row->choices);
            connect(box, &QComboBox::activated, this, [this, box] {
                const_cast<PropertyDelegate*>(this)->commitData(box);
                const_cast<PropertyDelegate*>(this)->closeEditor(box);
            });
            return box;
        }
        default:
            return nullptr;
        }
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        if (auto* box = qobject_cast<QComboBox*>(editor))
            box->setCurrentText(index.data().toString());
        else if (auto* line = qobject_cast<QLineEdit*>(editor))
            line->setText(index.data().toString());
    }

    void setModelData(QWidget* editor, QAbstractItemModel*,
                      const QModelIndex& index) const override {
        const QTreeWidgetItem* item = itemAt(index);
        if (auto* box = qobject_cast<QComboBox*>(editor))
            m_Grid.applyFromEditor(item, box->currentIndex());
        else if (auto* line = qobject_cast<QLineEdit*>(editor))
            m_Grid.applyFromEditor(item, line->text());
    }

private:
    const QTreeWidgetItem* itemAt(const QModelIndex& index) const {
        return static_cast<const QTreeWidgetItem*>(index.internalPointer());
    }
    const PropertyGrid::Row* rowAt(const QModelIndex& index) const {
        return m_Grid.rowOf(itemAt(index));
    }

    PropertyGrid& m_Grid;
};

} // namespace

PropertyGrid::PropertyGrid(QWidget* parent) : QWidget(parent), m_pTree(new QTreeWidget(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pTree);
    m_pTree->setColumnCount(2);
    m_pTree->setHeaderLabels({"Property", "Value"});
    m_pTree->header()->setSectionResizeMode(labelColumn, QHeaderView::ResizeToContents);
    m_pTree->setAlternatingRowColors(true);
    m_pTree->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                             QAbstractItemView::EditKeyPressed);
    m_pTree->setItemDelegate(new PropertyDelegate(*this));
    connect(m_pTree, &QTreeWidget::itemChanged, this, &PropertyGrid::checkChanged);
    connect(m_pTree, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        const BoundRow* bound = findRow(item);
        if (!bound)
            return;
        QString picked;
        const QString current = bound->row.get().toString();
        if (bound->row.editor == Editor::OpenFile)
            picked = QFileDialog::getOpenFileName(this, bound->row.label, current,
                                                  bound->row.fileFilter);
        else if (bound->row.editor == Editor::Folder)
            picked = QFileDialog::getExistingDirectory(this, "Pick a Directory", current);
        else
            return;
        if (!picked.isEmpty())
            applyFromEditor(item, picked);
    });
}

void PropertyGrid::setPage(std::function<void(PropertyGrid&)> fill) {
    m_Fill = std::move(fill);
    refill();
}

void PropertyGrid::refill() {
    clear();
    if (m_Fill)
        m_Fill(*this);
    m_pTree->expandAll();
}

void PropertyGrid::clear() {
    m_vRows.clear();
    m_pTree->clear();
}

PropertyGrid::Group PropertyGrid::addGroup(const QString& label, Group parent) {
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(m_pTree);
    item->setText(labelColumn, label);
    QFont font = item->font(labelColumn);
    font.setBold(true);
    item->setFont(labelColumn, font);
    item->setFlags(Qt::ItemIsEnabled);
    item->setFirstColumnSpanned(true);
    return item;
}

void PropertyGrid::addRow(Row row, Group group) {
    auto* item = group ? new QTreeWidgetItem(group) : new QTreeWidgetItem(m_pTree);
    item->setText(labelColumn, row.label);
    item->setToolTip(labelColumn, row.description);
    item->setToolTip(valueColumn, row.description);
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (row.editor == Editor::Check)
        flags |= Qt::ItemIsUserCheckable;
    else if (row.editor != Editor::ReadOnly)
        flags |= Qt::ItemIsEditable;
    item->setFlags(flags);

    QString path;
    for (const QTreeWidgetItem* parent = group; parent; parent = parent->parent())
        path = parent->text(labelColumn) + "/" + path;
    path += row.label;
    int repeats = 1;
    while (findRow(repeats == 1 ? path : path + "#" + QString::number(repeats)))
        ++repeats;
    if (repeats > 1)
        path += "#" + QString::number(repeats);

    m_vRows.push_back({std::move(row), item, path});
    showValue(m_vRows.back());
}

QStringList PropertyGrid::rowPaths() const {
    QStringList paths;
    for (const BoundRow& bound : m_vRows)
        paths << bound.path;
    return paths;
}

QString PropertyGrid::valueText(const QString& path) const {
    const BoundRow* bound = findRow(path);
    return bound ? bound->item->text(valueColumn) : QString();
}

bool PropertyGrid::setValue(const QString& path, const QVariant& value) {
    const BoundRow* bound = findRow(path);
    if (!bound)
        return false;
    const bool reshapes = bound->row.reshapesPage;
    const bool accepted = apply(*bound, value);
    if (accepted && reshapes)
        refill();
    return accepted;
}

const PropertyGrid::Row* PropertyGrid::rowOf(const QTreeWidgetItem* item) const {
    const BoundRow* bound = findRow(item);
    return bound ? &bound->row : nullptr;
}

void PropertyGrid::applyFromEditor(const QTreeWidgetItem* item, const QVariant& value) {
    const BoundRow* bound = findRow(item);
    if (!bound)
        return;
    const bool reshapes = bound->row.reshapesPage;
    if (apply(*bound, value) && reshapes)
        QTimer::singleShot(0, this, &PropertyGrid::refill);
}

const PropertyGrid::BoundRow* PropertyGrid::findRow(const QString& path) const {
    for (const BoundRow& bound : m_vRows)
        if (bound.path == path)
            return &bound;
    return nullptr;
}

const PropertyGrid::BoundRow* PropertyGrid::findRow(const QTreeWidgetItem* item) const {
    for (const BoundRow& bound : m_vRows)
        if (bound.item == item)
            return &bound;
    return nullptr;
}

bool PropertyGrid::apply(const BoundRow& bound, const QVariant& value) {
    const QVariant converted = editValue(bound.row, value);
    const bool accepted = converted.isValid() && bound.row.set && bound.row.set(converted);
    // One edit may change other rows (a block size selects its output); a refused one shows
    // the value kept.
    showValues();
    if (accepted)
        emit edited();
    return accepted;
}

void PropertyGrid::showValues() {
    for (const BoundRow& bound : m_vRows)
        showValue(bound);
}

void PropertyGrid::showValue(const BoundRow& bound) {
    m_bShowing = true;
    const QVariant value = bound.row.get ? bound.row.get() : QVariant();
    bound.item->setText(valueColumn, displayText(bound.row, value));
    if (bound.row.editor == Editor::Check)
        bound.item->setCheckState(valueColumn, value.toBool() ? Qt::Checked : Qt::Unchecked);
    if (bound.row.editor == Editor::Colour) {
        QPixmap swatch(swatchSize, swatchSize);
        swatch.fill(colourOf(value.toUInt()));
        bound.item->setIcon(valueColumn, swatch);
    }
    m_bShowing = false;
}

void PropertyGrid::checkChanged(QTreeWidgetItem* item, int column) {
    if (m_bShowing || column != valueColumn)
        return;
    const BoundRow* bound = findRow(item);
    if (bound && bound->row.editor == Editor::Check)
        applyFromEditor(item, item->checkState(valueColumn) == Qt::Checked);
}

} // namespace tarlo
