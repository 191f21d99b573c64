#include "platform/ConsoleHost.h"

#include <algorithm>
#include <ctime>

namespace tarlo {

namespace {

const char* iconWord(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Error:
        return "Error: ";
    case MessageIcon::Exclamation:
        return "Warning: ";
    case MessageIcon::Question:
        return "Question: ";
    case MessageIcon::Information:
        break;
    }
    return "";
}

} // namespace

ConsoleHost::ConsoleHost() : ConsoleHost(Options{}) {}

ConsoleHost::ConsoleHost(const Options& options, std::ostream& out, std::ostream& err)
    : m_Options(options), m_Out(out), m_Err(err) {}

void ConsoleHost::printLine(std::ostream& stream, const std::string& text) {
    std::lock_guard lock(m_PrintMutex);
    stream << text << '\n';
    stream.flush();
}

void ConsoleHost::appendOutputLine(const std::string& line) {
    if (!m_Options.quiet)
        printLine(m_Out, line);
}

void ConsoleHost::appendValidationLine(const std::string& line) {
    printLine(m_Out, line);
}

MessageAnswer ConsoleHost::showMessage(const std::string& text, MessageIcon icon,
                                       MessageButtons buttons) {
    std::string shown = "Tarlo: " + std::string(iconWord(icon)) + text;
    while (!shown.empty() && shown.back() == '\n')
        shown.pop_back();
    if (buttons == MessageButtons::YesNo) {
        const bool yes = m_Options.questionAnswer == MessageAnswer::Yes;
        shown += yes ? " [answered Yes]" : " [answered No]";
        printLine(m_Err, shown);
        return yes ? MessageAnswer::Yes : MessageAnswer::No;
    }
    printLine(m_Err, shown);
    return MessageAnswer::Ok;
}

void ConsoleHost::setStatusText(const std::string& text) {
    if (m_Options.verbose)
        printLine(m_Err, text);
}

void ConsoleHost::postRunNotification(RunNotification notification) {
    {
        std::lock_guard lock(m_NotifyMutex);
        m_vPosted.push_back(notification);
    }
    m_Notified.notify_all();
}

bool ConsoleHost::waitForNotification(RunNotification notification,
                                      std::chrono::milliseconds timeout) {
    return waitForAnyNotification({notification}, timeout).has_value();
}

std::optional<RunNotification>
ConsoleHost::waitForAnyNotification(std::initializer_list<RunNotification> notifications,
                                    std::optional<std::chrono::milliseconds> timeout) {
    std::unique_lock lock(m_NotifyMutex);
    auto found = m_vPosted.end();
    const auto posted = [&] {
        found = std::find_first_of(m_vPosted.begin(), m_vPosted.end(), notifications.begin(),
                                   notifications.end());
        return found != m_vPosted.end();
    };
    if (timeout) {
        if (!m_Notified.wait_for(lock, *timeout, posted))
            return std::nullopt;
    } else {
        m_Notified.wait(lock, posted);
    }
    const RunNotification notification = *found;
    m_vPosted.erase(found); // a later run waits for its own notification
    return notification;
}

std::uint32_t ConsoleHost::tickMs() {
    const auto sinceEpoch = std::chrono::steady_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count();
    return static_cast<std::uint32_t>(ms); // wraps like a 32-bit tick counter
}

std::tm ConsoleHost::localTime() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

} // namespace tarlo
