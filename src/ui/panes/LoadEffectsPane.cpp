#include "ui/panes/LoadEffectsPane.h"

#include "project/CTarloDoc.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace tarlo {

namespace {

constexpr const char* bridgeListText = "Bridge list will appear here";
constexpr const char* loadEffectListText = "Load Effect list will appear here";
constexpr const char* initialValuesText = "Load effect values appear here...";

} // namespace

LoadEffectsPane::LoadEffectsPane(QWidget* parent)
    : QWidget(parent), m_pBridges(new QListWidget(this)), m_pLoadEffects(new QListWidget(this)),
      m_pValues(new QPlainTextEdit(this)) {
    m_pValues->setReadOnly(true);
    m_pValues->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto* lists = new QHBoxLayout;
    lists->addWidget(m_pBridges);
    lists->addWidget(m_pLoadEffects);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(lists);
    layout->addWidget(m_pValues, 1);
    connect(m_pBridges, &QListWidget::currentRowChanged, this, &LoadEffectsPane::showLoadEffects);
    reset();
}

void LoadEffectsPane::setDocument(CTarloDoc* doc) {
    m_pDoc = doc;
    reset();
}

void LoadEffectsPane::reset() {
    const QSignalBlocker blocker(m_pBridges);
    m_pBridges->clear();
    m_pBridges->addItem(bridgeListText);
    m_pLoadEffects->clear();
    m_pLoadEffects->addItem(loadEffectListText);
    m_pValues->setPlainText(initialValuesText);
}

void LoadEffectsPane::showBridges() {
    if (!m_pDoc || m_pDoc->m_vBridges.empty())
        return;
    {
        const QSignalBlocker blocker(m_pBridges);
        m_pBridges->clear();
        for (const CBridge& bridge : m_pDoc->m_vBridges)
            m_pBridges->addItem(QString::fromStdString(bridge.getDescription()));
    }
    m_pBridges->setCurrentRow(0);
}

void LoadEffectsPane::showLoadEffects(int bridgeRow) {
    if (!m_pDoc || bridgeRow < 0 || bridgeRow >= static_cast<int>(m_pDoc->m_vBridges.size()))
        return;
    m_pLoadEffects->clear();
    for (const auto& loadEffect : m_pDoc->m_vBridges[bridgeRow].GetLoadEffects())
        m_pLoadEffects->addItem(QString::fromStdString(loadEffect->getDescription()));
}

void LoadEffectsPane::showValues(const QString& values) {
    QString shown = values;
    shown.replace("\r\n", "\n");
    m_pValues->setPlainText(shown);
}

} // namespace tarlo
