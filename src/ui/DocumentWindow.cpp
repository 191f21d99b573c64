#include "ui/DocumentWindow.h"

#include "project/CTarloDoc.h"
#include "project/CValidation.h"
#include "ui/view/CTarloView.h"

#include <QCloseEvent>

namespace tarlo {

DocumentWindow::DocumentWindow(const CSettings& settings, QWidget* parent)
    : QMdiSubWindow(parent), m_pDoc(std::make_unique<CTarloDoc>(settings, m_Host)) {
    setAttribute(Qt::WA_DeleteOnClose);
    m_pView = new CTarloView(*m_pDoc, settings, m_Host, this);
    setWidget(m_pView);
    m_pDoc->setElementTreeListener([this] { emit elementsChanged(); });
    m_pDoc->runControl().setValidation([this](const CSettings& runSettings) {
        emit validationStarted();
        return CValidation(m_pDoc.get(), runSettings, m_Host).validate();
    });
    connect(&m_Host, &QtHost::viewsRefreshRequested, m_pView, &CTarloView::refresh);
}

DocumentWindow::~DocumentWindow() {
    delete m_pView;
}

void DocumentWindow::updateTitle() {
    setWindowTitle(QString::fromStdString(m_pDoc->getTitle()) + "[*]");
    setWindowModified(m_pDoc->isModified());
}

void DocumentWindow::closeEvent(QCloseEvent* event) {
    if (m_CloseQuery && !m_CloseQuery(*this)) {
        event->ignore();
        return;
    }
    // An invisible run is stopped and waited for.
    m_pDoc->close();
    m_bClosed = true;
    emit closed(this);
    QMdiSubWindow::closeEvent(event);
}

} // namespace tarlo
