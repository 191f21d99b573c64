#include "ui/panes/ElementTreePane.h"

#include "project/CTarloDoc.h"

#include <QStandardItemModel>
#include <QTreeView>
#include <QVBoxLayout>

#include <array>

namespace tarlo {

namespace {

constexpr int ElementRole = Qt::UserRole + 1;

// The groups of the tree in order; the first three hold one node each.
constexpr std::array<const char*, 8> groupLabels{
    "Simulation",      "Road Features",          "Detectors",     "Bridges",
    "Influence Lines", "Discrete Distributions", "Vehicle Types", "IDM Parameters"};

bool isSingleNodeGroup(std::string_view group) {
    return group == "Simulation" || group == "Vehicle Types" || group == "IDM Parameters";
}

// Visits every item of the model, depth first.
template <class Visit> void forEachItem(QStandardItem* parent, Visit visit) {
    for (int row = 0; row < parent->rowCount(); ++row) {
        QStandardItem* child = parent->child(row);
        visit(child);
        forEachItem(child, visit);
    }
}

} // namespace

ElementTreePane::ElementTreePane(QWidget* parent)
    : QWidget(parent), m_pTree(new QTreeView(this)), m_pModel(new QStandardItemModel(this)) {
    m_pTree->setModel(m_pModel);
    m_pTree->setHeaderHidden(true);
    m_pTree->setEditTriggers(QAbstractItemView::EditKeyPressed);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pTree);
    connect(m_pModel, &QStandardItemModel::itemChanged, this, &ElementTreePane::renamed);
    connect(m_pTree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &ElementTreePane::selectionChanged);
}

void ElementTreePane::setDocument(CTarloDoc* doc) {
    m_pDoc = doc;
    rebuild();
}

CElement* ElementTreePane::elementOf(const QStandardItem* item) {
    if (!item)
        return nullptr;
    return static_cast<CElement*>(item->data(ElementRole).value<void*>());
}

QStandardItem* ElementTreePane::elementItem(CElement& element) {
    auto* item = new QStandardItem(QString::fromStdString(element.getDescription()));
    item->setData(QVariant::fromValue(static_cast<void*>(&element)), ElementRole);
    return item;
}

void ElementTreePane::rebuild() {
    const CElement* selected = selectedElement();
    m_bBuilding = true;
    m_pModel->clear();
    if (m_pDoc) {
        for (const char* group : groupLabels) {
            auto* groupItem = new QStandardItem(group);
            groupItem->setEditable(false);
            for (std::size_t index = 0;; ++index) {
                CElement* element = m_pDoc->findElement(group, index);
                if (!element)
                    break;
                QStandardItem* item = elementItem(*element);
                if (auto* bridge = dynamic_cast<CBridge*>(element)) {
                    for (const auto& loadEffect : bridge->GetLoadEffects())
                        item->appendRow(elementItem(*loadEffect));
                }
                groupItem->appendRow(item);
                if (isSingleNodeGroup(group))
                    break;
            }
            m_pModel->appendRow(groupItem);
        }
    }
    m_pTree->expandToDepth(0);
    // The page of an element still there stays as it is.
    const bool kept = selected && selectElement(selected);
    m_bBuilding = false;
    if (selected && !kept)
        emit elementSelected(nullptr);
}

void ElementTreePane::refreshLabels() {
    m_bBuilding = true;
    forEachItem(m_pModel->invisibleRootItem(), [](QStandardItem* item) {
        if (const CElement* element = elementOf(item))
            item->setText(QString::fromStdString(element->getDescription()));
    });
    m_bBuilding = false;
}

CElement* ElementTreePane::selectedElement() const {
    return elementOf(m_pModel->itemFromIndex(m_pTree->currentIndex()));
}

bool ElementTreePane::selectElement(const CElement* element) {
    QStandardItem* found = nullptr;
    forEachItem(m_pModel->invisibleRootItem(), [&](QStandardItem* item) {
        if (!found && elementOf(item) == element)
            found = item;
    });
    if (!found)
        return false;
    m_pTree->setCurrentIndex(found->index());
    return true;
}

void ElementTreePane::renameSelected() {
    if (selectedElement())
        m_pTree->edit(m_pTree->currentIndex());
}

void ElementTreePane::setEditable(bool editable) {
    m_pTree->setEditTriggers(editable ? QAbstractItemView::EditKeyPressed
                                      : QAbstractItemView::NoEditTriggers);
}

void ElementTreePane::renamed(QStandardItem* item) {
    CElement* element = elementOf(item);
    if (m_bBuilding || !element || !m_pDoc)
        return;
    const std::string description = item->text().toStdString();
    if (description == element->getDescription())
        return;
    element->setDescription(description);
    m_pDoc->setModified();
    emit elementRenamed(element);
}

void ElementTreePane::selectionChanged() {
    if (!m_bBuilding)
        emit elementSelected(selectedElement());
}

} // namespace tarlo
