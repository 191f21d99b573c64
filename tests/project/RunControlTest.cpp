#include "RunFixture.h"

#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <thread>
#include <vector>

namespace tarlo::test {
namespace {

using RunControlTest = RunFixture;

TEST_F(RunControlTest, OutputLinesCarryLocalTimeAndDocumentName) {
    run.toggleMuteDetectors();
    ASSERT_EQ(host.outputLines.size(), 1u);
    EXPECT_EQ(host.outputLines[0], "09/12/26 14:30:00| Doc.tlp| Mute detectors on");
}

TEST_F(RunControlTest, MuteTogglesWriteTheNewState) {
    run.toggleMuteDetectors();
    EXPECT_TRUE(run.isMuteDetectorsChecked());
    run.toggleMuteBridges();
    EXPECT_TRUE(run.isMuteBridgesChecked());
    run.toggleMuteDetectors();
    EXPECT_FALSE(run.isMuteDetectorsChecked());
    run.toggleMuteBridges();
    EXPECT_FALSE(run.isMuteBridgesChecked());
    EXPECT_EQ(lines(), (std::vector<std::string>{"| Mute detectors on", "| Mute bridges on",
                                                 "| Mute detectors off", "| Mute bridges off"}));
}

TEST_F(RunControlTest, WarpSettingsAreCopiedWhenTheDocumentIsCreated) {
    settings.View.TIMEWARP_SIMSTEP = 7;
    settings.View.TIMEWARP_TEP = 0.25;
    RunControl other(config, sim, settings, host, [] { return std::string("Doc.tlp"); });
    settings.View.TIMEWARP_TEP = 5.0;
    EXPECT_EQ(other.m_TimeWarpSimStep, 7u);
    other.m_TimeWarp = 2.0;
    other.slowDown();
    EXPECT_EQ(other.m_TimeWarp, 1.75);
}

TEST_F(RunControlTest, EnablingRulesFollowTheRunState) {
    struct Row {
        const char* state;
        bool running, visible, paused, invisible;
        bool runVisible, runInvisible, singleStep, pause, changeSpeed, stop, mute;
        const char* pauseText;
    };
    const Row rows[] = {
        {"idle", false, false, false, false, true, true, true, false, false, false, true,
         "&Pause\tF9"},
        {"visible running", true, true, false, false, false, false, false, true, true, true, false,
         "&Pause\tF9"},
        {"visible paused", true, true, true, false, true, false, true, true, true, true, false,
         "&Resume\tF9"},
        {"invisible running", true, false, false, true, false, false, false, false, false, true,
         false, "&Pause\tF9"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.state);
        run.m_bRunning = row.running;
        run.m_bVisibleRun = row.visible;
        run.m_bPaused = row.paused;
        run.m_bInvisibleRun = row.invisible;
        EXPECT_EQ(run.canRunVisible(), row.runVisible);
        EXPECT_EQ(run.canRunInvisible(), row.runInvisible);
        EXPECT_EQ(run.canSingleStep(), row.singleStep);
        EXPECT_EQ(run.canPause(), row.pause);
        EXPECT_EQ(run.canChangeSpeed(), row.changeSpeed);
        EXPECT_EQ(run.canStop(), row.stop);
        EXPECT_EQ(run.canToggleMute(), row.mute);
        EXPECT_EQ(run.canEditElements(), !row.running);
        EXPECT_EQ(run.canOpenDocument(), !row.invisible);
        EXPECT_STREQ(run.pauseMenuText(), row.pauseText);
    }
    run.m_bInvisibleRun = false;
}

TEST_F(RunControlTest, StepPeriodIsTheWarpedTimeStepInWholeMilliseconds) {
    struct Row {
        double timeStep, warp;
        std::uint32_t period;
    };
    const Row rows[] = {
        {0.1, 1.0, 100}, {0.001, 500.0, 1}, {0.25, 3.0, 83}, {0.0015, 1.0, 2}, {0.25, 0.5, 500},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.timeStep);
        config.m_SimTimeStep = row.timeStep;
        run.m_TimeWarp = row.warp;
        run.changeTimeWarp(0.0);
        EXPECT_EQ(run.m_StepPeriod, row.period);
    }
}

TEST_F(RunControlTest, TimeWarpStepsAndLimits) {
    const std::string maximum = "Maximum time warp reached (1000.00) for this simulation.";
    const std::string minimum = "Half of real-time speed is the minimum time warp.";
    struct Row {
        double from;
        bool up;
        double to;
        std::uint32_t period; // for the 0.25 s time step
        std::string message;
        std::string line;
    };
    const Row rows[] = {
        {0.5, true, 1.0, 250, "", "| Time warp factor is: 1.000000"},
        {0.75, true, 1.0, 250, "", "| Time warp factor is: 1.000000"},
        {1.0, true, 2.0, 125, "", "| Time warp factor is: 2.000000"},
        {3.0, true, 4.0, 63, "", "| Time warp factor is: 4.000000"},
        {2.0, false, 1.0, 250, "", "| Time warp factor is: 1.000000"},
        {1.0, false, 0.5, 500, minimum, "| Time warp factor is: 0.500000"},
        {0.5, false, 0.5, 500, minimum, "| Time warp factor is: 0.500000"},
        {1000.0, true, 1000.0, 1, maximum, "| Time warp factor is: 1000.000000"},
        {999.5, true, 1000.0, 1, maximum, "| Time warp factor is: 1000.000000"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.from << (row.up ? " up" : " down"));
        host.messages.clear();
        host.outputLines.clear();
        run.m_TimeWarp = row.from;
        row.up ? run.speedUp() : run.slowDown();
        EXPECT_EQ(run.m_TimeWarp, row.to);
        EXPECT_EQ(run.m_StepPeriod, row.period);
        if (row.message.empty()) {
            EXPECT_TRUE(host.messages.empty());
        } else {
            ASSERT_EQ(host.messages.size(), 1u);
            EXPECT_EQ(host.messages[0].text, row.message);
            EXPECT_EQ(host.messages[0].icon, MessageIcon::Information);
        }
        EXPECT_EQ(lines(), std::vector<std::string>{row.line});
    }
}

TEST_F(RunControlTest, CompletionReportsTheDurationRoundedToSeconds) {
    struct Row {
        std::uint32_t elapsedMs;
        const char* visible;
        const char* invisible;
    };
    const Row rows[] = {
        {3725400, "0-01:02:05", "01:02:05"},
        {499, "0-00:00:00", "00:00:00"},
        {500, "0-00:00:01", "00:00:01"},
        // A batch run past a day keeps counting hours rather than dropping the day.
        {90061000, "1-01:01:01", "25:01:01"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.elapsedMs);
        host.outputLines.clear();
        host.messages.clear();
        run.m_ElapsedMs = row.elapsedMs;
        run.endSimulation(true);
        run.invisibleFinished();
        EXPECT_EQ(lines(),
                  (std::vector<std::string>{
                      std::string("| Simulation completed - duration: ") + row.visible,
                      std::string("| Simulation completed - duration: ") + row.invisible}));
        ASSERT_EQ(host.messages.size(), 2u);
        for (const auto& message : host.messages) {
            EXPECT_EQ(message.text, "The simulation has finished.");
            EXPECT_EQ(message.icon, MessageIcon::Information);
        }
        EXPECT_EQ(host.statusText, "Simulation completed");
    }
}

TEST_F(RunControlTest, EndWithoutReportOnlyClearsTheRun) {
    run.endSimulation(false);
    EXPECT_TRUE(lines().empty());
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(host.loadEffectResets, 1);
    EXPECT_EQ(host.statusResets, 1);
}

TEST_F(RunControlTest, AutoMetricsDirSitsBesideTheTrafficFile) {
    const struct {
        const char* file;
        const char* metrics;
    } rows[] = {
        {"C:\\Data\\Traffic.in", "C:\\Data\\Metrics_20261209-143000\\"},
        {"/data/run/traffic.cas", "/data/run/Metrics_20261209-143000/"},
        {"C:\\Data/run\\Traffic.in", "C:\\Data/run\\Metrics_20261209-143000\\"},
        {"/Traffic.in", "/Metrics_20261209-143000/"},
        // A bare file name lies in the current folder, not at the root of the file system.
        {"Traffic.in", "Metrics_20261209-143000/"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        config.m_FileIn = row.file;
        run.makeAutoMetricsDir();
        EXPECT_EQ(config.m_MetricsDir, row.metrics);
    }
}

// The host's clock stands still, so every folder here falls in the same second.
TEST_F(RunControlTest, RunsOfTheSameSecondGetFoldersOfTheirOwn) {
    config.m_FileIn = dir.file("traffic.cas");
    const std::string base = dir.file("Metrics_20261209-143000");
    // A file of the first free name takes it as well as a folder does.
    std::ofstream(base + "-3") << "taken";

    // Documents validated at once, each with its own run control, race for the names.
    constexpr int documents = 6;
    std::vector<std::unique_ptr<RunConfiguration>> configs;
    std::vector<std::unique_ptr<Sim>> sims;
    std::vector<std::unique_ptr<RunControl>> controls;
    for (int i = 0; i < documents; ++i) {
        configs.push_back(std::make_unique<RunConfiguration>());
        configs.back()->m_FileIn = config.m_FileIn;
        sims.push_back(std::make_unique<Sim>(settings, host));
        controls.push_back(std::make_unique<RunControl>(*configs.back(), *sims.back(), settings,
                                                        host, [] { return std::string("D"); }));
    }
    std::vector<std::thread> threads;
    for (auto& control : controls)
        threads.emplace_back([&control] { control->createAutoMetricsDir(); });
    for (std::thread& thread : threads)
        thread.join();

    std::set<std::string> folders;
    for (int i = 0; i < documents; ++i) {
        const std::string& folder = configs[i]->m_MetricsDir;
        EXPECT_EQ(controls[i]->madeMetricsDir(), folder);
        EXPECT_TRUE(std::filesystem::is_directory(folder)) << folder;
        folders.insert(folder);
    }
    EXPECT_EQ(folders, (std::set<std::string>{base + "/", base + "-2/", base + "-4/", base + "-5/",
                                              base + "-6/", base + "-7/"}));

    // A folder that cannot be made keeps the composed name for the validation to report.
    config.m_FileIn = dir.file("absent/traffic.cas");
    run.createAutoMetricsDir();
    EXPECT_EQ(config.m_MetricsDir, dir.file("absent/Metrics_20261209-143000/"));
    EXPECT_EQ(run.madeMetricsDir(), "");
}

TEST_F(RunControlTest, ValidationMakesTheMetricsDirOnlyWhenAutomatic) {
    config.m_FileIn = "/data/traffic.cas";
    config.m_bAutoDir = false;
    EXPECT_TRUE(run.validateSimulation());
    EXPECT_EQ(config.m_MetricsDir, "\\Metrics");
    config.m_bAutoDir = true;
    EXPECT_TRUE(run.validateSimulation());
    EXPECT_EQ(config.m_MetricsDir, "/data/Metrics_20261209-143000/");
    EXPECT_EQ(lines(),
              (std::vector<std::string>{"| Validating simulation", "| Validating simulation"}));
}

TEST_F(RunControlTest, FailedValidationStartsNothing) {
    const CSettings* given = nullptr;
    run.setValidation([&](const CSettings& s) {
        given = &s;
        return false;
    });
    run.runVisible();
    run.runInvisible();
    run.singleStep();
    EXPECT_EQ(given, &settings);
    const std::vector<std::string> cancelled = {"| Validating simulation",
                                                "| Cancelling simulation"};
    std::vector<std::string> expected = cancelled;
    expected.insert(expected.end(), cancelled.begin(), cancelled.end());
    expected.push_back("| Simulation paused");
    expected.insert(expected.end(), cancelled.begin(), cancelled.end());
    expected.push_back("| Simulation pause off");
    EXPECT_EQ(lines(), expected);
    ASSERT_EQ(host.messages.size(), 3u);
    for (const auto& message : host.messages)
        EXPECT_EQ(message.text,
                  "Cannot run invalid simulation.\nPlease see the Validation Report.");
    EXPECT_FALSE(run.m_pWorkerThread.joinable());
    EXPECT_TRUE(host.notifications.empty());
    EXPECT_EQ(host.stepValuesShown, 0);
    expectIdleAndEmpty();
}

} // namespace
} // namespace tarlo::test
