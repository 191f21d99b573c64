#include "ui/QtHost.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>

#include <ctime>

namespace tarlo {

namespace {

QMessageBox::Icon boxIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Information:
        break;
    }
    return QMessageBox::Information;
}

} // namespace

QtHost::QtHost(QObject* parent) : QObject(parent) {
    m_Clock.start();
}

void QtHost::onUiThread(std::function<void()> call) {
    if (QThread::currentThread() == thread())
        call();
    else
        QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
}

void QtHost::appendOutputLine(const std::string& line) {
    const QString text = QString::fromStdString(line);
    onUiThread([this, text] { emit outputLine(text); });
}

void QtHost::appendValidationLine(const std::string& line) {
    const QString text = QString::fromStdString(line);
    onUiThread([this, text] { emit validationLine(text); });
}

MessageAnswer QtHost::showMessage(const std::string& text, MessageIcon icon,
                                  MessageButtons buttons) {
    const QString shown = QString::fromStdString(text);
    auto present = [this, shown, icon, buttons] {
        return m_Presenter ? m_Presenter(shown, icon, buttons)
                           : showMessageBox(shown, icon, buttons);
    };
    if (QThread::currentThread() == thread())
        return present();
    QMetaObject::invokeMethod(
        this, [present] { present(); }, Qt::QueuedConnection);
    return buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
}

MessageAnswer QtHost::showMessageBox(const QString& text, MessageIcon icon,
                                     MessageButtons buttons) {
    const bool question = buttons == MessageButtons::YesNo;
    QMessageBox box(boxIcon(icon), "Tarlo", text,
                    question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
                    QApplication::activeWindow());
    const int answer = box.exec();
    if (!question)
        return MessageAnswer::Ok;
    return answer == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
}

void QtHost::setStatusText(const std::string& text) {
    const QString shown = QString::fromStdString(text);
    onUiThread([this, shown] { emit statusText(shown); });
}

void QtHost::resetStatusPane() {
    onUiThread([this] { emit statusPaneReset(); });
}

void QtHost::resetLoadEffectView() {
    onUiThread([this] { emit loadEffectViewReset(); });
}

void QtHost::postRunNotification(RunNotification notification) {
    QMetaObject::invokeMethod(
        this, [this, notification] { emit runNotified(notification); }, Qt::QueuedConnection);
}

void QtHost::refreshViews() {
    onUiThread([this] { emit viewsRefreshRequested(); });
}

void QtHost::showStepValues(const std::string& bridgeValues, double simTime) {
    const QString values = QString::fromStdString(bridgeValues);
    onUiThread([this, values, simTime] { emit stepValues(values, simTime); });
}

std::uint32_t QtHost::tickMs() {
    if (m_TickSource)
        return m_TickSource();
    return static_cast<std::uint32_t>(m_Clock.elapsed()); // wraps like a 32-bit tick counter
}

std::tm QtHost::localTime() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

} // namespace tarlo
