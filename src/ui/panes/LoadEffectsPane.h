#pragma once

#include <QWidget>

class QListWidget;
class QPlainTextEdit;

namespace tarlo {

class CTarloDoc;

// The "Load Effects" pane: during a visible run the bridges, the load effects of the bridge
// picked and the current values the run hands over.
class LoadEffectsPane : public QWidget {
    Q_OBJECT
public:
    explicit LoadEffectsPane(QWidget* parent = nullptr);

    // Null, or a new document: the initial texts.
    void setDocument(CTarloDoc* doc);
    // The bridge list of the document, at the start of a visible run.
    void showBridges();
    void showValues(const QString& values);
    void reset();

    QListWidget* bridgeList() { return m_pBridges; }
    QListWidget* loadEffectList() { return m_pLoadEffects; }
    QPlainTextEdit* valuesText() { return m_pValues; }

private:
    void showLoadEffects(int bridgeRow);

    QListWidget* m_pBridges;
    QListWidget* m_pLoadEffects;
    QPlainTextEdit* m_pValues;
    CTarloDoc* m_pDoc = nullptr;
};

} // namespace tarlo
