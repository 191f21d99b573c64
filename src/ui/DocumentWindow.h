#pragma once

#include "ui/QtHost.h"

#include <QMdiSubWindow>

#include <functional>
#include <memory>

namespace tarlo {

class CSettings;
class CTarloDoc;
class CTarloView;

// The child window of one project: its document, the document's host and the road view
// as the client area. The window is destroyed when it closes.
class DocumentWindow : public QMdiSubWindow {
    Q_OBJECT
public:
    // Asked before the window closes; false keeps it open.
    using CloseQuery = std::function<bool(DocumentWindow&)>;

    DocumentWindow(const CSettings& settings, QWidget* parent = nullptr);
    // The view goes first: it draws from the document.
    ~DocumentWindow() override;

    CTarloDoc& document() { return *m_pDoc; }
    CTarloView& view() { return *m_pView; }
    QtHost& host() { return m_Host; }

    void setCloseQuery(CloseQuery query) { m_CloseQuery = std::move(query); }
    // The document's title, marked while it has unsaved changes.
    void updateTitle();
    // Closed, and only waiting to be destroyed.
    bool isClosed() const { return m_bClosed; }

signals:
    // The document's elements changed: the element tree is rebuilt.
    void elementsChanged();
    // A run's validation pass begins: its report replaces the last one.
    void validationStarted();
    // The window has closed; it is destroyed soon after.
    void closed(tarlo::DocumentWindow* window);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QtHost m_Host;
    std::unique_ptr<CTarloDoc> m_pDoc;
    CTarloView* m_pView;
    CloseQuery m_CloseQuery;
    bool m_bClosed = false;
};

} // namespace tarlo
