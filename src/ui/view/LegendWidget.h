#pragma once

#include <QWidget>

namespace tarlo {

class CSettings;
class CTarloDoc;

// The "Legend" pane's content: every detector and feature symbol and each vehicle type of
// the document, with its name.
class LegendWidget : public QWidget {
    Q_OBJECT
public:
    explicit LegendWidget(const CSettings& settings, QWidget* parent = nullptr);

    // Null shows the message that a legend needs an open file.
    void setDocument(CTarloDoc* doc);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const CSettings& m_Settings;
    CTarloDoc* m_pDoc = nullptr;
};

} // namespace tarlo
