#pragma once

#include "platform/Host.h"

#include <chrono>
#include <condition_variable>
#include <initializer_list>
#include <iostream>
#include <mutex>
#include <optional>
#include <ostream>
#include <vector>

namespace tarlo {

// The host of the command line: output and validation lines go to standard output,
// messages to standard error. Nobody can answer a question in a batch run, so Yes/No
// questions get the answer fixed at construction. An invisible run calls the host from its
// worker thread; every print happens under one lock so lines never interleave.
class ConsoleHost : public Host {
public:
    struct Options {
        bool quiet = false;   // suppresses the output log lines
        bool verbose = false; // prints the status text
        MessageAnswer questionAnswer = MessageAnswer::No;
    };

    ConsoleHost();
    explicit ConsoleHost(const Options& options, std::ostream& out = std::cout,
                         std::ostream& err = std::cerr);

    void appendOutputLine(const std::string& line) override;
    void appendValidationLine(const std::string& line) override;
    MessageAnswer showMessage(const std::string& text, MessageIcon icon,
                              MessageButtons buttons = MessageButtons::Ok) override;
    void setStatusText(const std::string& text) override;
    void resetStatusPane() override {}
    void resetLoadEffectView() override {}
    void postRunNotification(RunNotification notification) override;
    void refreshViews() override {}
    void showStepValues(const std::string&, double) override {}

    std::uint32_t tickMs() override;
    std::tm localTime() override;

    // Blocks until the notification has been posted (by any thread) or the timeout passed;
    // true when it was posted, and the posting is then consumed. A batch run waits here for
    // its worker to finish.
    bool waitForNotification(RunNotification notification, std::chrono::milliseconds timeout);
    // Blocks until one of the notifications has been posted, without a timeout for as long
    // as that takes; answers the one consumed (the first posted), or none at the timeout.
    std::optional<RunNotification>
    waitForAnyNotification(std::initializer_list<RunNotification> notifications,
                           std::optional<std::chrono::milliseconds> timeout = std::nullopt);

private:
    void printLine(std::ostream& stream, const std::string& text);

    Options m_Options;
    std::ostream& m_Out;
    std::ostream& m_Err;
    std::mutex m_PrintMutex;
    std::mutex m_NotifyMutex;
    std::condition_variable m_Notified;
    std::vector<RunNotification> m_vPosted;
};

} // namespace tarlo
