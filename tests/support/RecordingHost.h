#pragma once

#include "platform/Host.h"

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

namespace tarlo::test {

// A host that records everything the core says and whose millisecond tick is driven by
// the test.
class RecordingHost : public Host {
public:
    struct Message {
        std::string text;
        MessageIcon icon;
    };

    void appendOutputLine(const std::string& line) override {
        std::lock_guard lock(m_Mutex);
        outputLines.push_back(line);
    }
    void appendValidationLine(const std::string& line) override {
        std::lock_guard lock(m_Mutex);
        validationLines.push_back(line);
    }
    MessageAnswer showMessage(const std::string& text, MessageIcon icon,
                              MessageButtons buttons) override {
        std::lock_guard lock(m_Mutex);
        messages.push_back({text, icon});
        if (buttons == MessageButtons::YesNo)
            return answer;
        return MessageAnswer::Ok;
    }
    void setStatusText(const std::string& text) override {
        std::lock_guard lock(m_Mutex);
        statusText = text;
    }
    void resetStatusPane() override { ++statusResets; }
    void resetLoadEffectView() override { ++loadEffectResets; }
    void postRunNotification(RunNotification notification) override {
        std::lock_guard lock(m_Mutex);
        notifications.push_back(notification);
    }
    void refreshViews() override { ++refreshes; }
    void showStepValues(const std::string& bridgeValues, double simTime) override {
        std::lock_guard lock(m_Mutex);
        lastBridgeValues = bridgeValues;
        lastSimTime = simTime;
        ++stepValuesShown;
    }
    std::uint32_t tickMs() override { return tick.load(); }
    std::tm localTime() override { return time; }

    // Copies taken under the lock, for tests that read while a worker runs.
    std::vector<std::string> output() {
        std::lock_guard lock(m_Mutex);
        return outputLines;
    }
    std::vector<RunNotification> posted() {
        std::lock_guard lock(m_Mutex);
        return notifications;
    }

    std::atomic<std::uint32_t> tick{1000};
    std::tm time{0, 30, 14, 9, 11, 126, 0, 0, 0, 0, nullptr}; // 09/12/26 14:30:00
    MessageAnswer answer = MessageAnswer::Yes;

    std::vector<std::string> outputLines;
    std::vector<std::string> validationLines;
    std::vector<Message> messages;
    std::vector<RunNotification> notifications;
    std::string statusText;
    std::string lastBridgeValues;
    double lastSimTime = 0.0;
    std::atomic<int> statusResets{0};
    std::atomic<int> loadEffectResets{0};
    std::atomic<int> refreshes{0};
    std::atomic<int> stepValuesShown{0};

private:
    std::mutex m_Mutex;
};

} // namespace tarlo::test
