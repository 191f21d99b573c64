#include "platform/ConsoleHost.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <thread>
#include <vector>

namespace tarlo {
namespace {

struct Streams {
    std::ostringstream out;
    std::ostringstream err;
};

TEST(ConsoleHost, PrintsOutputAndValidationLinesUnlessQuiet) {
    Streams s;
    ConsoleHost host(ConsoleHost::Options{}, s.out, s.err);
    host.appendOutputLine("09/12/26 14:30:00| demo| Simulation started");
    host.appendValidationLine("Bridge 1: no load effect");
    EXPECT_EQ(s.out.str(),
              "09/12/26 14:30:00| demo| Simulation started\nBridge 1: no load effect\n");
    EXPECT_EQ(s.err.str(), "");

    Streams q;
    ConsoleHost quiet(ConsoleHost::Options{true, false, MessageAnswer::No}, q.out, q.err);
    quiet.appendOutputLine("progress");
    quiet.appendValidationLine("finding");
    EXPECT_EQ(q.out.str(), "finding\n");
}

TEST(ConsoleHost, MessagesGoToStandardErrorWithTheirKind) {
    struct Case {
        MessageIcon icon;
        const char* printed;
    };
    const std::vector<Case> cases{
        {MessageIcon::Error, "Tarlo: Error: Problem loading file.\n"},
        {MessageIcon::Exclamation, "Tarlo: Warning: Problem loading file.\n"},
        {MessageIcon::Information, "Tarlo: Problem loading file.\n"},
    };
    for (const Case& c : cases) {
        Streams s;
        ConsoleHost host(ConsoleHost::Options{}, s.out, s.err);
        EXPECT_EQ(host.showMessage("Problem loading file.\n", c.icon), MessageAnswer::Ok);
        EXPECT_EQ(s.err.str(), c.printed);
        EXPECT_EQ(s.out.str(), "");
    }
}

TEST(ConsoleHost, QuestionsGetTheAnswerFixedAtConstruction) {
    Streams s;
    ConsoleHost byDefault(ConsoleHost::Options{}, s.out, s.err);
    EXPECT_EQ(byDefault.showMessage("Overwrite?", MessageIcon::Question, MessageButtons::YesNo),
              MessageAnswer::No);
    EXPECT_NE(s.err.str().find("Overwrite?"), std::string::npos);

    ConsoleHost yes(ConsoleHost::Options{false, false, MessageAnswer::Yes}, s.out, s.err);
    EXPECT_EQ(yes.showMessage("Overwrite?", MessageIcon::Question, MessageButtons::YesNo),
              MessageAnswer::Yes);
}

TEST(ConsoleHost, StatusTextOnlyWhenVerbose) {
    Streams s;
    ConsoleHost silent(ConsoleHost::Options{}, s.out, s.err);
    silent.setStatusText("Step 10");
    EXPECT_EQ(s.out.str() + s.err.str(), "");

    ConsoleHost verbose(ConsoleHost::Options{false, true, MessageAnswer::No}, s.out, s.err);
    verbose.setStatusText("Step 10");
    EXPECT_EQ(s.err.str(), "Step 10\n");
}

TEST(ConsoleHost, LinesFromManyThreadsStayWhole) {
    Streams s;
    ConsoleHost host(ConsoleHost::Options{}, s.out, s.err);
    constexpr int threads = 4;
    constexpr int lines = 500;
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back([&host, t] {
            for (int i = 0; i < lines; ++i)
                host.appendOutputLine("worker " + std::to_string(t) + " line " + std::to_string(i));
        });
    for (auto& worker : workers)
        worker.join();

    std::istringstream printed(s.out.str());
    std::set<std::string> seen;
    for (std::string line; std::getline(printed, line);)
        seen.insert(line);
    EXPECT_EQ(seen.size(), static_cast<std::size_t>(threads * lines));
    EXPECT_EQ(seen.count("worker 3 line 499"), 1u);
}

TEST(ConsoleHost, WaitsForANotificationFromAWorker) {
    ConsoleHost host;
    std::thread worker([&host] {
        host.postRunNotification(RunNotification::Started);
        host.postRunNotification(RunNotification::InvisibleFinished);
    });
    EXPECT_TRUE(
        host.waitForNotification(RunNotification::InvisibleFinished, std::chrono::seconds(30)));
    worker.join();
    // Each posting is consumed by one wait.
    EXPECT_FALSE(
        host.waitForNotification(RunNotification::InvisibleFinished, std::chrono::milliseconds(0)));
    EXPECT_TRUE(host.waitForNotification(RunNotification::Started, std::chrono::milliseconds(0)));
}

// The command's wait sleeps until any of the postings it waits for comes, with no timeout,
// and takes them in the order they were posted.
TEST(ConsoleHost, WaitsForTheFirstOfSeveralNotifications) {
    ConsoleHost host;
    std::thread worker([&host] {
        host.postRunNotification(RunNotification::Started);
        host.postRunNotification(RunNotification::Stopped);
        host.postRunNotification(RunNotification::InvisibleFinished);
    });
    worker.join();
    const auto end = {RunNotification::InvisibleFinished, RunNotification::Stopped};
    EXPECT_EQ(host.waitForAnyNotification(end), RunNotification::Stopped);
    EXPECT_EQ(host.waitForAnyNotification(end), RunNotification::InvisibleFinished);
    EXPECT_EQ(host.waitForAnyNotification(end, std::chrono::milliseconds(0)), std::nullopt);
    EXPECT_EQ(host.waitForAnyNotification({RunNotification::Started}), RunNotification::Started);
}

TEST(ConsoleHost, LocalTimeIsACalendarDate) {
    ConsoleHost host;
    const std::tm now = host.localTime();
    EXPECT_GE(now.tm_year, 120); // 2020 or later
    EXPECT_GE(now.tm_mday, 1);
    EXPECT_LE(now.tm_mday, 31);
}

} // namespace
} // namespace tarlo
