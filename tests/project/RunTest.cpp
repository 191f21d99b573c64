#include "RunFixture.h"

#include "bridges/CBridge.h"
#include "detectors/CStatDetector.h"

#include <cstdio>
#include <filesystem>
#include <new>
#include <thread>
#include <utility>

namespace tarlo::test {
namespace {

class RunTest : public RunFixture {
protected:
    // One vehicle at 01:00:00 crosses the 100 m road at 25 m/s; a second one an hour later
    // keeps the run going.
    void useLongRun() { useTraffic({at(1), at(2)}); }

    // Sets the tick and makes the idle call with it.
    void idleAt(std::uint32_t tick) {
        host.tick = tick;
        run.idleTick(tick);
    }

    bool wroteCompletion() {
        const std::vector<std::string> texts = lines();
        return std::any_of(texts.begin(), texts.end(), [](const std::string& text) {
            return text.starts_with("| Simulation completed");
        });
    }

    // Waits until the worker has posted the given notification.
    void awaitPosted(RunNotification notification) {
        for (int i = 0; i < 20000; ++i) {
            const auto posted = host.posted();
            if (std::find(posted.begin(), posted.end(), notification) != posted.end())
                return;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        FAIL() << "the worker never posted the notification";
    }
};

TEST_F(RunTest, VisibleStepsArePacedByTheTick) {
    struct Row {
        const char* name;
        double timeStep;
        std::uint32_t start;
        std::vector<std::uint32_t> calls; // ticks after the start
        int steps;
        std::uint32_t nextStep;  // after the start
        std::uint32_t elapsedMs; // measured at the last redraw
    };
    const Row rows[] = {
        {"due tick itself is not late enough", 0.25, t0, {250}, 0, 250, 250},
        {"one step once past due", 0.25, t0, {251, 251}, 1, 500, 251},
        {"missed steps are not made up", 0.25, t0, {1000, 1000, 1001}, 2, 1250, 1001},
        {"accelerated steps on every call at the due tick", 0.01, t0, {10, 10, 10}, 3, 10, 0},
        {"accelerated waits for the due tick", 0.01, t0, {9}, 0, 10, 0},
        {"accelerated catches up to the current tick", 0.01, t0, {35, 35, 40}, 2, 40, 0},
        {"tick wraps", 0.25, 0xFFFFFF00u, {251, 507}, 2, 750, 507},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        config.m_SimTimeStep = row.timeStep;
        useLongRun();
        host.tick = row.start;
        host.stepValuesShown = 0;
        run.m_ElapsedMs = 0;
        run.runVisible();
        ASSERT_TRUE(run.m_bRunning);
        for (std::uint32_t call : row.calls)
            idleAt(row.start + call);
        EXPECT_EQ(host.stepValuesShown, row.steps);
        EXPECT_EQ(run.m_NextStepTick, row.start + row.nextStep);
        EXPECT_EQ(run.m_ElapsedMs.load(), row.elapsedMs);
        EXPECT_DOUBLE_EQ(run.m_SimTime.load(),
                         row.steps == 0 ? 0.0 : 3600.0 + row.steps * row.timeStep);
        run.stopSimulation();
    }
}

TEST_F(RunTest, SingleStepOnAnIdleDocumentStartsAPausedRun) {
    useLongRun();
    run.singleStep();
    EXPECT_TRUE(run.m_bRunning);
    EXPECT_TRUE(run.m_bVisibleRun);
    EXPECT_TRUE(run.m_bPaused);
    EXPECT_STREQ(run.pauseMenuText(), "&Resume\tF9");
    // The clock starts at the first arrival and is one step on.
    EXPECT_EQ(run.m_StartTime, 3600.0);
    EXPECT_EQ(sim.time, 3600.25);
    EXPECT_EQ(run.m_SimTime.load(), 3600.25);
    EXPECT_EQ(host.lastSimTime, 3600.25);
    EXPECT_EQ(host.stepValuesShown, 1);
    EXPECT_EQ(host.lastBridgeValues, "");
    const std::vector<std::string> texts = lines();
    const std::vector<std::string> expected = {
        "| Simulation paused",
        "| Validating simulation",
        "| Preparing visible simulation...",
        "| Random seed: 42",
        "| No. vehicles in input traffic file: 2",
        "| Simulation initialized",
        "| Simulation running...",
        "| Single step",
    };
    ASSERT_GE(texts.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(texts.begin(), texts.begin() + 8), expected);
    EXPECT_EQ(host.notifications, std::vector<RunNotification>{RunNotification::Started});

    // Paused: idle calls take no step however late, Run Visible resumes.
    idleAt(t0 + 10000);
    EXPECT_EQ(host.stepValuesShown, 1);
    run.runVisible();
    EXPECT_FALSE(run.m_bPaused);
    EXPECT_EQ(lines().back(), "| Simulation pause off");
}

TEST_F(RunTest, PausedTimeIsNotCountedInTheDuration) {
    useTraffic({at(1)});
    run.runVisible();
    idleAt(t0 + 5000);
    EXPECT_EQ(run.m_ElapsedMs.load(), 5000u);
    run.togglePause();
    host.tick = t0 + 15000;
    run.togglePause();
    idleAt(t0 + 20000);
    EXPECT_EQ(run.m_ElapsedMs.load(), 10000u);

    // Single steps to the end of the run while paused keep the elapsed time.
    run.togglePause();
    for (int i = 0; i < 100 && run.m_bRunning; ++i)
        run.singleStep();
    ASSERT_FALSE(run.m_bRunning);
    // Nothing, not even a progress line, follows the completion report.
    EXPECT_EQ(lines().back(), "| Simulation completed - duration: 0-00:00:10");
    EXPECT_EQ(messageTexts(), std::vector<std::string>{"The simulation has finished."});
    expectIdleAndEmpty();
}

TEST_F(RunTest, VisibleRunEndsWithItsLastStep) {
    useTraffic({at(1), at(1, 0, 1)});
    run.runVisible();
    std::uint32_t tick = t0;
    int calls = 0;
    while (run.m_bRunning && calls < 1000) {
        tick += 251;
        idleAt(tick);
        ++calls;
    }
    ASSERT_FALSE(run.m_bRunning);
    // The second vehicle waits for 27 m of entry space, enters at 3601.25 s and is removed
    // once more than 110 m on.
    EXPECT_EQ(host.stepValuesShown, 23);
    EXPECT_EQ(host.lastSimTime, 3605.75);
    EXPECT_EQ(messageTexts(), std::vector<std::string>{"The simulation has finished."});
    EXPECT_EQ(host.messages[0].icon, MessageIcon::Information);
    EXPECT_EQ(host.statusText, "Simulation completed");
    EXPECT_GE(host.loadEffectResets, 1);
    // Elapsed time as of the last redraw, before the 23rd call.
    EXPECT_EQ(lines().back(), "| Simulation completed - duration: 0-00:00:06");
    expectIdleAndEmpty();

    // Progress lines only ever rise, up to the whole file.
    std::vector<int> reported;
    for (const std::string& text : lines()) {
        int percent = 0;
        if (std::sscanf(text.c_str(), "| %d%% vehicles on", &percent) == 1)
            reported.push_back(percent);
    }
    ASSERT_FALSE(reported.empty());
    EXPECT_EQ(std::adjacent_find(reported.begin(), reported.end(), std::greater_equal<int>()),
              reported.end());
    EXPECT_EQ(reported.back(), 100);
}

// While a run goes on it publishes its figures after each step; once it has ended and its
// road is empty, what it produced is still there: the bridges in number order, whatever
// order the road keeps them in, and the files of each detector.
TEST_F(RunTest, ARunPublishesItsFiguresAndKeepsItsResults) {
    useTraffic({at(1), at(1, 0, 1)});
    config.m_bAutoDir = false;
    config.m_MetricsDir = dir.file("metrics") + "/";
    std::filesystem::create_directory(config.m_MetricsDir);
    for (const auto& [id, start] : {std::pair{1, 20.0}, std::pair{2, 60.0}}) {
        CBridge bridge(id, 100, 3, start, start + 20.0);
        bridge.setDescription("Span " + std::to_string(id));
        bridge.EventManager().setBlockMaxSize(1.0);
        config.m_vBridges.push_back(bridge);
    }
    config.m_vStatDetectors.emplace_back();
    config.m_vStatDetectors.back().setDescription("Counter");
    config.m_vStatDetectors.back().setParamA(50);

    run.runVisible();
    int mostVehicles = 0;
    for (std::uint32_t tick = t0; run.m_bRunning && tick < t0 + 251000; tick += 251) {
        idleAt(tick);
        // Until the first step the figures are those of the set-up.
        if (run.m_bRunning && host.stepValuesShown > 0) {
            EXPECT_EQ(run.m_SimTime.load(), sim.time);
            EXPECT_EQ(run.m_VehiclesOnRoad.load(), sim.road.vehicleCount());
            mostVehicles = std::max(mostVehicles, run.m_VehiclesOnRoad.load());
        }
    }
    ASSERT_FALSE(run.m_bRunning);
    EXPECT_EQ(mostVehicles, 2);
    EXPECT_EQ(run.m_ReadPercent.load(), 100);
    EXPECT_EQ(run.m_StartTime.load(), 3600.0);
    EXPECT_TRUE(sim.road.getBridges().empty());

    const RunResults& results = run.runResults();
    ASSERT_EQ(results.bridges.size(), 2u);
    for (int i = 0; i < 2; ++i) {
        const BridgeTally& bridge = results.bridges[static_cast<std::size_t>(i)];
        EXPECT_EQ(bridge.id, i + 1);
        EXPECT_EQ(bridge.description, "Span " + std::to_string(i + 1));
        ASSERT_EQ(bridge.loadEffects.size(), 1u);
        // Both vehicles crossed both bridges.
        EXPECT_GT(bridge.loadEffects[0].values, 0u);
        EXPECT_TRUE(bridge.loadEffects[0].blockMaxima);
    }
    ASSERT_EQ(results.detectors.size(), 1u);
    EXPECT_EQ(results.detectors[0].description, "Counter");
    EXPECT_EQ(results.detectors[0].kind, "Flow & Density");
    EXPECT_EQ(results.detectors[0].files,
              std::vector<std::string>{config.m_MetricsDir + "FD_All_Pos_50.csv"});

    // The next run starts with none of it.
    config.m_vBridges.clear();
    config.m_vStatDetectors.clear();
    run.runVisible();
    EXPECT_TRUE(run.runResults().bridges.empty());
    EXPECT_TRUE(run.runResults().detectors.empty());
    run.stopSimulation();
}

TEST_F(RunTest, StopEndsTheRunWithoutCompletionReport) {
    useLongRun();
    run.runVisible();
    idleAt(t0 + 251);
    run.speedUp();
    run.stopSimulation();
    EXPECT_EQ(lines().back(), "| Simulation stopped");
    EXPECT_FALSE(wroteCompletion());
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(host.notifications,
              (std::vector<RunNotification>{RunNotification::Started, RunNotification::Stopped}));
    EXPECT_EQ(run.m_TimeWarp, 1.0);
    expectIdleAndEmpty();

    // Stop on an idle document writes nothing.
    host.outputLines.clear();
    run.stopSimulation();
    EXPECT_TRUE(lines().empty());
}

TEST_F(RunTest, WarpFactorOutlivesARunUntilStop) {
    useLongRun();
    run.runVisible();
    run.speedUp();
    run.endSimulation(false);
    run.runVisible();
    EXPECT_EQ(run.m_TimeWarp, 2.0);
    EXPECT_EQ(run.m_StepPeriod, 125u);
    run.stopSimulation();
    run.runVisible();
    EXPECT_EQ(run.m_StepPeriod, 250u);
}

TEST_F(RunTest, RunCommandsWhileRunningAreRefused) {
    useLongRun();
    run.runVisible();
    host.outputLines.clear();
    run.runVisible();
    run.runInvisible();
    EXPECT_EQ(messageTexts(), std::vector<std::string>(2, "Simulation already running"));
    for (const auto& message : host.messages)
        EXPECT_EQ(message.icon, MessageIcon::Exclamation);
    EXPECT_TRUE(lines().empty());
    EXPECT_FALSE(run.m_bInvisibleRun);
    EXPECT_FALSE(run.m_pWorkerThread.joinable());
}

TEST_F(RunTest, VisibleRunRefusesALaneMismatchInTheFirstBlock) {
    CastorRecord wrongLane = at(1, 0, 1);
    wrongLane.lane = 2; // the traffic file has one lane per direction
    useTraffic({at(1), wrongLane});
    run.runVisible();
    ASSERT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(host.messages[0].icon, MessageIcon::Exclamation); // the road's lane message
    EXPECT_EQ(host.messages[1].text, initProblemText);
    EXPECT_EQ(host.messages[1].icon, MessageIcon::Error);
    EXPECT_TRUE(wrote("| No. vehicles in input traffic file: 2"));
    EXPECT_FALSE(wrote("| Simulation initialized"));
    EXPECT_FALSE(wrote("| Simulation running..."));
    EXPECT_TRUE(host.notifications.empty());
    expectIdleAndEmpty();

    // A failed single step leaves the document idle and unpaused.
    run.singleStep();
    EXPECT_EQ(host.stepValuesShown, 0);
    expectIdleAndEmpty();
}

TEST_F(RunTest, InvisibleRunCompletesOnItsWorker) {
    useTraffic({at(1), at(1, 0, 1)});
    run.runInvisible();
    run.waitForInvisibleRun();
    EXPECT_EQ(host.posted(), (std::vector<RunNotification>{RunNotification::Started,
                                                           RunNotification::InvisibleFinished}));
    // The set-up on the worker writes nothing.
    EXPECT_EQ(lines(), (std::vector<std::string>{"| Validating simulation",
                                                 "| Preparing invisible simulation...",
                                                 "| Random seed: 42",
                                                 "| Simulation running..."}));
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(host.stepValuesShown, 0);
    expectIdleAndEmpty();

    // The finished notification arrives on the user-interface thread.
    run.m_ElapsedMs = 3725400;
    run.invisibleFinished();
    EXPECT_EQ(lines().back(), "| Simulation completed - duration: 01:02:05");
    EXPECT_EQ(messageTexts(), std::vector<std::string>{"The simulation has finished."});
    EXPECT_EQ(host.statusText, "Simulation completed");

    // Another run may follow on the same document.
    run.runInvisible();
    run.waitForInvisibleRun();
    EXPECT_EQ(host.posted().back(), RunNotification::InvisibleFinished);
    expectIdleAndEmpty();
}

TEST_F(RunTest, InvisibleRunStoppedMidway) {
    // Nine years between two vehicles: far more steps than the test lets the worker take.
    CastorRecord late = at(1);
    late.year = 9;
    useTraffic({at(1), late});
    run.runInvisible();
    awaitPosted(RunNotification::Started);
    EXPECT_FALSE(run.canRunInvisible());

    // The idle processing measures the elapsed time but takes no step of its own.
    idleAt(t0 + 5000);
    EXPECT_EQ(run.m_ElapsedMs.load(), 5000u);
    EXPECT_EQ(host.stepValuesShown, 0);
    // Nor may a single step touch the worker's road.
    run.singleStep();
    EXPECT_EQ(host.stepValuesShown, 0);

    run.stopSimulation();
    // The elements stay locked until the stopped worker has left, and the shell is told then.
    run.waitForWorker();
    EXPECT_TRUE(run.canEditElements());
    EXPECT_EQ(host.posted(),
              (std::vector<RunNotification>{RunNotification::Started, RunNotification::Stopped,
                                            RunNotification::Stopped}));
    EXPECT_EQ(lines().back(), "| Simulation stopped");
    EXPECT_FALSE(wroteCompletion());
    EXPECT_EQ(messageTexts(), std::vector<std::string>{"Simulation already running"});
    expectIdleAndEmpty();
}

TEST_F(RunTest, InterruptedRunLogsTheSimulatedTimeReached) {
    CastorRecord late = at(1);
    late.year = 9;
    useTraffic({at(1), late});
    run.runInvisible();
    awaitPosted(RunNotification::Started);
    // The clock starts at the first arrival, 01:00:00.
    while (run.m_SimTime.load() <= 3600.0)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    run.interruptRun();
    EXPECT_FALSE(run.m_pWorkerThread.joinable());
    const std::vector<std::string> texts = lines();
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(texts[texts.size() - 2], "| Simulation stopped");
    char expected[64];
    std::snprintf(expected, sizeof expected, "| Simulation stopped by the user at %.2f s",
                  run.m_SimTime.load());
    EXPECT_EQ(texts.back(), expected);
    EXPECT_FALSE(wroteCompletion());
    expectIdleAndEmpty();
}

TEST_F(RunTest, InvisibleRunReportsAFailedSetUpAsAFailure) {
    CastorRecord wrongLane = at(1);
    wrongLane.lane = 3;
    useTraffic({wrongLane});
    run.runInvisible();
    run.waitForInvisibleRun();
    ASSERT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(host.messages[1].text, initProblemText);
    EXPECT_EQ(host.messages[1].icon, MessageIcon::Error);
    EXPECT_TRUE(wrote("| Simulation initialization failed"));
    EXPECT_FALSE(wroteCompletion());
    // The shell leaves the running state, without a completion report.
    EXPECT_EQ(host.posted(), std::vector<RunNotification>{RunNotification::Stopped});
    EXPECT_FALSE(wrote("| No. vehicles in input traffic file: 1"));
    expectIdleAndEmpty();
}

// The allocation failure comes as the set-up ends, once the detectors have opened their files.
class AllocationFailingHost : public RecordingHost {
public:
    void postRunNotification(RunNotification notification) override {
        if (notification == RunNotification::Started && !m_bFailed.exchange(true))
            throw std::bad_alloc();
        RecordingHost::postRunNotification(notification);
    }

private:
    std::atomic<bool> m_bFailed{false};
};

TEST_F(RunTest, RunningOutOfMemoryStopsTheRunAndKeepsItsFiles) {
    useTraffic({at(1), at(1, 0, 1)});
    const std::string metrics = dir.file("out");
    std::filesystem::create_directory(metrics);
    config.m_MetricsDir = metrics;
    CStatDetector detector;
    detector.setDetectorName(DETECTOR_FLOW_DENSITY);
    detector.setParamA(50);
    config.m_vStatDetectors = {detector};
    AllocationFailingHost failing;
    RunControl control(config, sim, settings, failing, [] { return std::string("Doc.tlp"); });

    control.runInvisible();
    control.waitForInvisibleRun();
    EXPECT_TRUE(control.m_bOutOfMemory);
    const std::vector<std::string> output = failing.output();
    EXPECT_NE(std::find(output.begin(), output.end(),
                        std::string(prefix) + "| Simulation stopped: out of memory at 0.00 s"),
              output.end());
    // Told as a stopped run, never as finished.
    EXPECT_EQ(failing.posted(), std::vector<RunNotification>{RunNotification::Stopped});
    EXPECT_FALSE(control.m_bRunning);
    EXPECT_FALSE(control.m_bInvisibleRun);
    EXPECT_EQ(sim.road.pendingCount(), 0u);
    // The detector's file was opened before the failure and is closed, not removed.
    ASSERT_EQ(control.runResults().detectors.size(), 1u);
    ASSERT_EQ(control.runResults().detectors[0].files.size(), 1u);
    EXPECT_TRUE(std::filesystem::exists(control.runResults().detectors[0].files[0]));

    // The next run starts afresh.
    control.runInvisible();
    control.waitForInvisibleRun();
    EXPECT_FALSE(control.m_bOutOfMemory);
    EXPECT_EQ(failing.posted().back(), RunNotification::InvisibleFinished);
}

TEST_F(RunTest, ClosingWaitsForTheWorker) {
    CastorRecord late = at(1);
    late.year = 9;
    useTraffic({at(1), late});
    {
        RunControl closing(config, sim, settings, host, [] { return std::string("Doc.tlp"); });
        closing.runInvisible();
        awaitPosted(RunNotification::Started);
    }
    EXPECT_EQ(host.posted(), std::vector<RunNotification>{RunNotification::Started});
    EXPECT_EQ(sim.time, 0.0);
    EXPECT_EQ(sim.road.pendingCount(), 0u);
}

} // namespace
} // namespace tarlo::test
