#pragma once

#include <QStringList>
#include <QVariant>
#include <QWidget>

#include <functional>
#include <vector>

class QTreeWidget;
class QTreeWidgetItem;

namespace tarlo {

// A tree of typed rows under grouped categories. Each row reads its value through a getter
// and writes an edit through a setter that applies the edited object's own rule; a refused
// edit keeps (and shows again) the value the getter gives.
class PropertyGrid : public QWidget {
    Q_OBJECT
public:
    // A colour is R + 256·G + 65536·B, shown with a swatch and typed as "R, G, B".
    enum class Editor { Text, Number, Integer, Check, Choice, OpenFile, Folder, Colour, ReadOnly };

    struct Row {
        QString label;
        Editor editor = Editor::Text;
        // Shown as the row's tool tip.
        QString description;
        std::function<QVariant()> get;
        // False when the value was refused.
        std::function<bool(const QVariant&)> set;
        // The labels of a choice; its value is the index (the getter may give a text instead,
        // shown as it is).
        QStringList choices;
        // The open-file dialog's filter.
        QString fileFilter;
        // An accepted edit changes which rows the page has: the page is filled again.
        bool reshapesPage = false;
    };
    using Group = QTreeWidgetItem*;

    explicit PropertyGrid(QWidget* parent = nullptr);

    // Clears the grid and fills it with the page; the page is kept to fill it again after an
    // edit that reshapes it.
    void setPage(std::function<void(PropertyGrid&)> fill);
    void clear();

    // A category; null parent: at the top.
    Group addGroup(const QString& label, Group parent = nullptr);
    void addRow(Row row, Group group = nullptr);

    // Rows named by their path of group labels and their label, joined by "/"; a path met
    // again within a group gets "#2", "#3", ... appended.
    QStringList rowPaths() const;
    // The value as the grid shows it ("True" or "False" for a check); empty for no such row.
    QString valueText(const QString& path) const;
    // Applies an edit as the row's editor would (a choice by index or by label, a number or
    // text as typed); false when there is no such row or the edit was refused.
    bool setValue(const QString& path, const QVariant& value);

    QTreeWidget* tree() { return m_pTree; }

    // The editing machinery of the rows: editors and their values, by tree item.
    const Row* rowOf(const QTreeWidgetItem* item) const;
    // Applies an editor's value; an edit that reshapes the page refills it once the editor
    // has gone.
    void applyFromEditor(const QTreeWidgetItem* item, const QVariant& value);

signals:
    // After every accepted edit.
    void edited();

private:
    struct BoundRow {
        Row row;
        QTreeWidgetItem* item;
        QString path;
    };

    const BoundRow* findRow(const QString& path) const;
    const BoundRow* findRow(const QTreeWidgetItem* item) const;
    // True when the row accepted the value; the shown values are read again either way.
    bool apply(const BoundRow& bound, const QVariant& value);
    void showValues();
    void showValue(const BoundRow& bound);
    void checkChanged(QTreeWidgetItem* item, int column);
    void refill();

    QTreeWidget* m_pTree;
    std::vector<BoundRow> m_vRows;
    std::function<void(PropertyGrid&)> m_Fill;
    // Set while the grid writes values into the tree, whose change signals then mean nothing.
    bool m_bShowing = false;
};

} // namespace tarlo
