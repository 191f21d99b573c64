#pragma once

#include <QWidget>

class QStandardItem;
class QStandardItemModel;
class QTreeView;

namespace tarlo {

class CElement;
class CTarloDoc;

// The "Simulation Elements" pane: the document's elements under their groups, bridges
// with their load effects. Renaming in place sets the element's description.
class ElementTreePane : public QWidget {
    Q_OBJECT
public:
    explicit ElementTreePane(QWidget* parent = nullptr);

    // Null empties the tree.
    void setDocument(CTarloDoc* doc);
    // Builds the tree again from the document, keeping the selected element selected (and
    // its page as it is).
    void rebuild();
    // The labels again from the elements' descriptions, after a property edit.
    void refreshLabels();

    // Null for a group or when nothing is selected.
    CElement* selectedElement() const;
    bool selectElement(const CElement* element);
    // Starts editing the selected element's label.
    void renameSelected();
    // Whether labels may be edited in place.
    void setEditable(bool editable);

    QTreeView* tree() { return m_pTree; }
    QStandardItemModel* model() { return m_pModel; }

signals:
    // The node selected; null for a group.
    void elementSelected(tarlo::CElement* element);
    void elementRenamed(tarlo::CElement* element);

private:
    static CElement* elementOf(const QStandardItem* item);
    QStandardItem* elementItem(CElement& element);
    void renamed(QStandardItem* item);
    void selectionChanged();

    QTreeView* m_pTree;
    QStandardItemModel* m_pModel;
    CTarloDoc* m_pDoc = nullptr;
    bool m_bBuilding = false;
};

} // namespace tarlo
