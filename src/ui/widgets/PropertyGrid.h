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
    enum class Editor { Text, Number, Integer, Check, Choice, OpenFile, Folder, ReadOnly };

    struct Row {
        QString label;
        Editor editor = Editor::Text;
        std::function<QVariant()> get;
        // False when the value was refused.
        std::function<bool(const QVariant&)> set;
        // The labels of a choice; its value is the index.
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

    // Rows named by their path of group labels and their label, joined by "/".
    QStringList rowPaths() const;
    QString valueText(const QString& path) const;
    // Applies an edit as the row's editor would; false when no such row or refused.
    bool setValue(const QString& path, const QVariant& value);

    QTreeWidget* tree() { return m_pTree; }

signals:
    // After every accepted edit.
    void edited();

private:
    struct BoundRow {
        Row row;
        QTreeWidgetItem* item;
        QString path;
    };

    BoundRow* findRow(const QString& path);
    const BoundRow* findRow(const QString& path) const;
    bool apply(BoundRow& bound, const QVariant& value);
    void showValue(BoundRow& bound);
    void editRow(QTreeWidgetItem* item);
    void refill();

    QTreeWidget* m_pTree;
    std::vector<BoundRow> m_vRows;
    std::function<void(PropertyGrid&)> m_Fill;
};

} // namespace tarlo
