#pragma once

#include "platform/Host.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <functional>

namespace tarlo {

// The desktop's host of one document. Everything the core says becomes a signal on the
// user-interface thread: calls from an invisible run's worker are carried over by queued
// calls, and the run notifications are always queued, as posted messages are. Message
// boxes and the millisecond tick go through replaceable functions so that tests can answer
// the questions and drive the clock by hand.
class QtHost : public QObject, public Host {
    Q_OBJECT
public:
    using MessagePresenter =
        std::function<MessageAnswer(const QString& text, MessageIcon, MessageButtons)>;
    using TickSource = std::function<std::uint32_t()>;

    explicit QtHost(QObject* parent = nullptr);

    // Without a presenter every message is shown in a message box captioned "Tarlo".
    void setMessagePresenter(MessagePresenter presenter) { m_Presenter = std::move(presenter); }
    // Without a source the tick counts milliseconds on a monotonic clock.
    void setTickSource(TickSource source) { m_TickSource = std::move(source); }

    void appendOutputLine(const std::string& line) override;
    void appendValidationLine(const std::string& line) override;
    // A question can only be answered on the user-interface thread: from another thread
    // the message is shown later and the answer is Ok, or No for a question.
    MessageAnswer showMessage(const std::string& text, MessageIcon icon,
                              MessageButtons buttons = MessageButtons::Ok) override;
    void setStatusText(const std::string& text) override;
    void resetStatusPane() override;
    void resetLoadEffectView() override;
    void postRunNotification(RunNotification notification) override;
    void refreshViews() override;
    void showStepValues(const std::string& bridgeValues, double simTime) override;

    std::uint32_t tickMs() override;
    std::tm localTime() override;

    // The box the desktop shows without a presenter.
    static MessageAnswer showMessageBox(const QString& text, MessageIcon icon,
                                        MessageButtons buttons);

signals:
    void outputLine(const QString& line);
    void validationLine(const QString& line);
    void statusText(const QString& text);
    void statusPaneReset();
    void loadEffectViewReset();
    void runNotified(tarlo::RunNotification notification);
    void viewsRefreshRequested();
    void stepValues(const QString& bridgeValues, double simTime);

private:
    // Runs the call at once on the user-interface thread, or queues it there.
    void onUiThread(std::function<void()> call);

    MessagePresenter m_Presenter;
    TickSource m_TickSource;
    QElapsedTimer m_Clock;
};

} // namespace tarlo
