#include "project/RunControl.h"

#include "platform/Host.h"
#include "project/settings/CSettings.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <new>
#include <system_error>

namespace tarlo {

namespace {

constexpr const char* alreadyRunningText = "Simulation already running";
constexpr const char* initProblemText = "A problem occurred initializing the simulation\n"
                                        "and it cannot be run. Please check the input.";
constexpr const char* finishedText = "The simulation has finished.";
constexpr const char* incompleteText = "The simulation has finished, but %zu of its output files\n"
                                       "could not be written in full (a full disk?).";
constexpr const char* completedStatus = "Simulation completed";
// More runs than this in one second fall back to the first name and share it.
constexpr int maxMetricsDirSuffix = 10000;

[[gnu::format(printf, 1, 2)]] std::string formatText(const char* format, ...) {
    char text[128];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

std::string formatLocalTime(const std::tm& time, const char* format) {
    char text[64];
    const std::size_t n = std::strftime(text, sizeof text, format, &time);
    return std::string(text, n);
}

// A run's wall-clock duration rounded to whole seconds.
unsigned durationSeconds(std::uint32_t elapsedMs) {
    return static_cast<unsigned>(elapsedMs / 1000.0 + 0.5);
}

// Ticks wrap, so order is judged by the signed difference.
std::int32_t ticksAfter(std::uint32_t tick, std::uint32_t reference) {
    return static_cast<std::int32_t>(tick - reference);
}

// The first tick of the series reference + k·period that is not before now. Missed
// periods are skipped, never made up.
std::uint32_t catchUp(std::uint32_t reference, std::uint32_t now, std::uint32_t period) {
    if (ticksAfter(now, reference) <= 0 || period == 0)
        return reference;
    const std::uint64_t behind = now - reference;
    return reference + static_cast<std::uint32_t>((behind + period - 1) / period * period);
}

} // namespace

RunControl::RunControl(RunConfiguration& config, Sim& sim, const CSettings& settings, Host& host,
                       DocumentName documentName)
    : m_TimeWarpSimStep(settings.View.TIMEWARP_SIMSTEP), m_TimeWarpStep(settings.View.TIMEWARP_TEP),
      m_Config(config), m_Sim(sim), m_Settings(settings), m_Host(host),
      m_DocumentName(std::move(documentName)) {}

RunControl::~RunControl() {
    waitForWorker();
}

void RunControl::writeOutput(const std::string& message) {
    writeOutput(m_DocumentName(), message);
}

void RunControl::writeOutput(const std::string& documentName, const std::string& message) {
    m_Host.appendOutputLine(formatLocalTime(m_Host.localTime(), "%d/%m/%y %H:%M:%S| ") +
                            documentName + message);
}

bool RunControl::validateSimulation() {
    writeOutput("| Validating simulation");
    // Deliberately: the automatic folder is made here, not only named, so that two runs of
    // the same second cannot both take the one name.
    if (m_Config.m_bAutoDir)
        createAutoMetricsDir();
    if (!m_Validation || m_Validation(m_Settings))
        return true;
    writeOutput("| Cancelling simulation");
    m_Host.showMessage("Cannot run invalid simulation.\nPlease see the Validation Report.",
                       MessageIcon::Exclamation);
    return false;
}

// A fresh folder beside the traffic file, named from the local time. Paths made on Windows
// use '\', so either separator counts and the folder keeps the one the file path uses. A
// bare file name lies in the current folder, so the metrics folder does too.
void RunControl::makeAutoMetricsDir() {
    const std::string& file = m_Config.m_FileIn;
    const std::size_t last = file.find_last_of("\\/");
    const char separator = last == std::string::npos ? '/' : file[last];
    const std::string folder =
        last == std::string::npos ? std::string() : file.substr(0, last) + separator;
    m_Config.m_MetricsDir =
        folder + "Metrics_" + formatLocalTime(m_Host.localTime(), "%Y%m%d-%H%M%S") + separator;
}

void RunControl::createAutoMetricsDir() {
    makeAutoMetricsDir();
    m_MadeMetricsDir.clear();
    const char separator = m_Config.m_MetricsDir.back();
    const std::string base = m_Config.m_MetricsDir.substr(0, m_Config.m_MetricsDir.size() - 1);
    for (int n = 1; n <= maxMetricsDirSuffix; ++n) {
        const std::string name = n == 1 ? base : base + "-" + std::to_string(n);
        std::error_code error;
        if (std::filesystem::create_directory(m_Config.runPath(name), error)) {
            m_Config.m_MetricsDir = name + separator;
            m_MadeMetricsDir = m_Config.runPath(m_Config.m_MetricsDir);
            return;
        }
        // Without an error the name is an existing folder; any error but a taken name (a
        // missing parent, no permission) would fail for every suffix alike.
        if (error && error != std::errc::file_exists)
            return;
    }
}

bool RunControl::initSimulation() {
    m_Sim.road.outputFiles.clear();
    m_RunResults = {};
    m_Sim.m_FileIn = m_Config.runPath(m_Config.m_FileIn);
    m_Sim.m_FileType = m_Config.m_FileType;
    m_Sim.m_NoDirections = m_Config.m_NoDirections;
    m_Sim.m_NoLanes = m_Config.m_NoLanes;
    m_Sim.m_NoLanesDirPos = m_Config.m_NoLanesDirPos;
    m_Sim.m_NoLanesDirNeg = m_Config.m_NoLanesDirNeg;
    m_Sim.m_SimTimeStep = m_Config.m_SimTimeStep;
    m_Sim.m_RoadLength = m_Config.m_RoadLength;

    Road& road = m_Sim.road;
    road.trafFileLanesPos = m_Config.m_TrafFileNoLanesDirPos;
    road.trafFileLanesNeg = m_Config.m_TrafFileNoLanesDirNeg;
    road.trafFileLanes = road.trafFileLanesPos + road.trafFileLanesNeg;
    road.allowLaneChanging = m_Config.m_AllowLaneChanging;
    road.constVelocity = m_Config.m_bConstVelocity;
    road.driveOnRight = m_Config.m_DriveOnRight;
    road.vehicleTypes = m_Config.m_pVehicleTypes.get();
    road.generators = RunGenerators::fromSeed(m_RunSeed);
    // Output file names start with the folder: it must end with a separator, or the files
    // would land beside it.
    std::string metricsDir = m_Config.runPath(m_Config.m_MetricsDir);
    if (!metricsDir.empty() && metricsDir.back() != '/')
        metricsDir += '/';
    for (const CRoadFeature& element : m_Config.m_vRoadFeatures)
        road.addRoadFeature(element);
    if (!m_bMuteDetectors) {
        // A detector takes the road length when it is built, before the road set-up.
        road.roadLength = m_Config.m_RoadLength;
        for (CStatDetector& element : m_Config.m_vStatDetectors) {
            element.setOutputPath(metricsDir);
            // A detector opens all its files as it is made.
            if (const Detector* detector =
                    road.addDetector(element, m_Config.m_NoLanesDirPos, m_Config.m_NoLanesDirNeg,
                                     m_Config.m_FileType))
                m_RunResults.detectors.push_back({element.getDescription(),
                                                  element.kindLabel(element.getDetectorName()),
                                                  detector->outputFileNames()});
        }
    }
    if (!m_bMuteBridges) {
        for (CBridge& bridge : m_Config.m_vBridges) {
            bridge.SetOutputPath(metricsDir);
            road.addBridge(bridge);
        }
    }

    bool ok = true;
    const int n = m_Sim.init(ok);
    m_StartTime = m_Sim.time;
    // Only a visible run reports its set-up; an invisible run's worker stays silent.
    if (m_bVisibleRun) {
        writeOutput(formatText("| No. vehicles in input traffic file: %d", n));
        if (ok)
            writeOutput("| Simulation initialized");
    }
    return ok;
}

// Every run is repeatable: the seed in use is written to the output log, and the same seed
// given to a later run draws the same numbers.
void RunControl::chooseSeed() {
    if (m_Config.m_Seed) {
        m_RunSeed = *m_Config.m_Seed;
    } else {
        std::tm now = m_Host.localTime();
        m_RunSeed = clockSeed(static_cast<std::int64_t>(std::mktime(&now)), m_Host.tickMs(), 0);
    }
    writeOutput(formatText("| Random seed: %u", m_RunSeed));
}

std::uint32_t RunControl::stepPeriod() const {
    const double period = std::trunc(m_Config.m_SimTimeStep * 1000.0 / m_TimeWarp + 0.5);
    if (!(period >= 1.0))
        return 1;
    return period < 4294967295.0 ? static_cast<std::uint32_t>(period) : 4294967295u;
}

bool RunControl::startRun() {
    if (!initSimulation())
        return false;
    m_SimTime = 0.0;
    m_ReadPercent = 0;
    m_VehiclesOnRoad = 0;
    const std::uint32_t now = m_Host.tickMs();
    m_StartTick = now;
    m_NextDisplayTick = now + m_DisplayPeriod;
    // Only a visible run is flagged running and paced here. An invisible run is flagged
    // before its worker starts, and a Stop during the worker's set-up must not be undone;
    // the pacing is the user-interface thread's, whose Stop resets the time warp meanwhile.
    if (m_bVisibleRun) {
        m_bRunning = true;
        m_StepPeriod = stepPeriod();
        m_NextStepTick = now + m_StepPeriod;
    }
    m_Host.postRunNotification(RunNotification::Started);
    return true;
}

void RunControl::joinWorker() {
    if (m_pWorkerThread.joinable())
        m_pWorkerThread.join();
}

void RunControl::clearRun() {
    m_bTrafficReadFailed = m_Sim.road.trafficReadFailed;
    // The run copies of the bridges go with the road; their tallies stay.
    for (const auto& bridge : m_Sim.road.getBridges())
        m_RunResults.bridges.push_back(bridge->Tally());
    std::stable_sort(m_RunResults.bridges.begin(), m_RunResults.bridges.end(),
                     [](const BridgeTally& a, const BridgeTally& b) { return a.id < b.id; });
    m_Sim.time = 0.0;
    m_Sim.progress = 0;
    m_Sim.road.clear();
    m_bRunning = false;
}

void RunControl::clearVisibleRun() {
    m_LastProgress = 0;
    m_LaneSnapshot.clear();
}

void RunControl::runVisible() {
    if (m_bRunning) {
        if (m_bPaused)
            togglePause();
        else
            m_Host.showMessage(alreadyRunningText, MessageIcon::Exclamation);
        return;
    }
    // A stopped invisible run may still be finishing its last step.
    joinWorker();
    if (!validateSimulation())
        return;
    m_bVisibleRun = true;
    writeOutput("| Preparing visible simulation...");
    chooseSeed();
    if (!startRun()) {
        clearRun();
        clearVisibleRun();
        m_bVisibleRun = false;
        m_Host.showMessage(initProblemText, MessageIcon::Error);
        return;
    }
    m_Host.refreshViews();
    m_LaneSnapshot = m_Sim.road.getVehicles();
    writeOutput("| Simulation running...");
}

bool RunControl::takeStep() {
    bool running = true;
    m_LaneSnapshot = m_Sim.step(running);
    publishStep();
    m_Host.showStepValues(bridgeValuesText(), m_SimTime);
    return !running;
}

void RunControl::publishStep() {
    m_SimTime = m_Sim.time;
    m_ReadPercent = m_Sim.progress;
    m_VehiclesOnRoad = m_Sim.road.vehicleCount();
}

void RunControl::idleTick(std::uint32_t now) {
    if (!m_bRunning)
        return;
    if (!m_bPaused && !m_bInvisibleRun) {
        const std::int32_t threshold = m_TimeWarpSimStep < m_StepPeriod ? 1 : 0;
        if (ticksAfter(now, m_NextStepTick) >= threshold) {
            if (takeStep()) {
                endSimulation(true);
                return;
            }
            m_NextStepTick = catchUp(m_NextStepTick, now, m_StepPeriod);
        }
    }
    if (ticksAfter(now, m_NextDisplayTick) > 0) {
        if (!m_bInvisibleRun)
            reportProgress();
        m_Host.refreshViews();
        if (!m_bPaused)
            m_ElapsedMs = m_Host.tickMs() - m_StartTick;
        m_NextDisplayTick = catchUp(m_NextDisplayTick, now, m_DisplayPeriod);
    }
}

void RunControl::reportProgress() {
    m_Progress = m_Sim.progress;
    if (m_LastProgress < m_Progress) {
        writeOutput(formatText("| %d%% vehicles on", m_Progress));
        m_LastProgress = m_Progress;
    }
}

std::string RunControl::bridgeValuesText() const {
    std::string text;
    for (const auto& bridge : m_Sim.road.getBridges()) {
        text += "Bridge: " + bridge->getDescription() + " |\t";
        // Before its first values a bridge shows zeros.
        const std::vector<double>& values = bridge->GetCurValues();
        for (std::size_t i = 0; i < bridge->GetLoadEffects().size(); ++i)
            text += formatText("%.2f", i < values.size() ? values[i] : 0.0) + " |\t\t";
        text += "\r\n";
    }
    return text;
}

void RunControl::runInvisible() {
    if (m_bRunning) {
        m_Host.showMessage(alreadyRunningText, MessageIcon::Exclamation);
        return;
    }
    // The previous worker must be gone before its flags are reused.
    joinWorker();
    if (!validateSimulation())
        return;
    writeOutput("| Preparing invisible simulation...");
    chooseSeed();
    m_ElapsedMs = 0;
    m_SimTime = 0.0;
    m_bOutOfMemory = false;
    m_Host.refreshViews();
    m_bInvisibleRun = true;
    m_bRunning = true;
    m_Host.resetStatusPane();
    m_bWorkerBusy = true;
    m_pWorkerThread = std::thread(&RunControl::runWorker, this, m_DocumentName());
    writeOutput("| Simulation running...");
}

void RunControl::runWorker(const std::string& documentName) {
    bool started = false;
    try {
        started = startRun();
        if (started) {
            bool more = true;
            // Nobody looks at the lanes of an invisible run: no snapshot of them is taken.
            while (m_bInvisibleRun && more) {
                m_Sim.advance(more);
                publishStep();
            }
            // The waiting thread sleeps until the end, so the duration is taken here.
            m_ElapsedMs = m_Host.tickMs() - m_StartTick;
        } else {
            // A run that could not start is reported as such, never as finished.
            writeOutput(documentName, "| Simulation initialization failed");
            m_Host.showMessage(initProblemText, MessageIcon::Error);
        }
    } catch (const std::bad_alloc&) {
        // Deliberately: a run that runs out of memory stops where it was, as a stopped run
        // does, instead of ending the program; the clean-up below writes what the detectors
        // and bridges hold and closes their files.
        m_bOutOfMemory = true;
        writeOutput(documentName,
                    formatText("| Simulation stopped: out of memory at %.2f s", m_SimTime.load()));
    }
    // Stop leaves the running state at once; closing the document does not.
    const bool stoppedByUser = !m_bRunning;
    clearRun();
    m_bWorkerBusy = false;
    // Unless the user stopped the run, the shell still shows it running: tell it the end. A
    // stopped run is told again, so that the shell lets the elements be edited once more.
    if (m_bInvisibleRun.exchange(false))
        m_Host.postRunNotification(started && !m_bOutOfMemory ? RunNotification::InvisibleFinished
                                                              : RunNotification::Stopped);
    else if (stoppedByUser)
        m_Host.postRunNotification(RunNotification::Stopped);
}

void RunControl::togglePause() {
    const std::uint32_t now = m_Host.tickMs();
    if (m_bPaused) {
        // Paused time does not count towards the run's duration.
        m_StartTick = m_StartTick + (now - m_PauseTick);
        writeOutput("| Simulation pause off");
    } else {
        m_PauseTick = now;
        writeOutput("| Simulation paused");
    }
    m_bPaused = !m_bPaused;
}

void RunControl::singleStep() {
    if (m_bInvisibleRun) {
        m_Host.showMessage(alreadyRunningText, MessageIcon::Exclamation);
        return;
    }
    bool step = true;
    if (m_bRunning) {
        if (!m_bPaused) {
            m_PauseTick = m_Host.tickMs();
            m_bPaused = true;
        }
    } else {
        togglePause();
        runVisible();
        m_ElapsedMs = 0;
        m_SimTime = 0.0;
        step = m_bRunning;
        if (!step)
            togglePause();
    }
    if (step) {
        const bool ended = takeStep();
        writeOutput("| Single step");
        if (ended)
            endSimulation(true);
    }
    reportProgress();
    m_Host.refreshViews();
}

void RunControl::stopSimulation() {
    if (m_bRunning)
        writeOutput("| Simulation stopped");
    m_bRunning = false;
    // An invisible run's worker leaves after its current step and cleans up itself; a worker
    // already stopped may still be doing so, and the road is its until it has left.
    if (!m_bInvisibleRun.exchange(false) && !m_pWorkerThread.joinable())
        endSimulation(false);
    m_bPaused = false;
    m_TimeWarp = 1.0;
    m_Host.postRunNotification(RunNotification::Stopped);
    m_Host.refreshViews();
    m_Host.resetStatusPane();
}

void RunControl::interruptRun() {
    stopSimulation();
    joinWorker();
    writeOutput(formatText("| Simulation stopped by the user at %.2f s", m_SimTime.load()));
}

void RunControl::endSimulation(bool report) {
    m_bVisibleRun = false;
    // A run that single steps to its end must not leave the next run paused.
    m_bPaused = false;
    clearRun();
    clearVisibleRun();
    m_Host.refreshViews();
    m_Host.resetStatusPane();
    m_Host.resetLoadEffectView();
    if (!report)
        return;
    const unsigned d = durationSeconds(m_ElapsedMs);
    reportCompletion(
        formatText("%u-%02u:%02u:%02u", d / 86400, d / 3600 % 24, d / 60 % 60, d % 60));
}

void RunControl::invisibleFinished() {
    m_Host.refreshViews();
    m_Host.resetStatusPane();
    // Hours keep counting past a day: batch runs of long records often last longer.
    const unsigned d = durationSeconds(m_ElapsedMs);
    reportCompletion(formatText("%02u:%02u:%02u", d / 3600, d / 60 % 60, d % 60));
}

// Deliberately: writers still drop what they cannot write without stopping the run, but a
// run whose output is incomplete says so at its end instead of finishing as if all was well.
void RunControl::reportCompletion(const std::string& duration) {
    writeOutput("| Simulation completed - duration: " + duration);
    const std::size_t failed = m_Sim.road.outputFiles.failed().size();
    if (failed == 0) {
        m_Host.showMessage(finishedText, MessageIcon::Information);
    } else {
        writeOutput(formatText("| Output incomplete - files not written in full: %zu", failed));
        m_Host.showMessage(formatText(incompleteText, failed), MessageIcon::Exclamation);
    }
    m_Host.setStatusText(completedStatus);
}

void RunControl::waitForWorker() {
    m_bInvisibleRun = false;
    joinWorker();
}

void RunControl::waitForInvisibleRun() {
    joinWorker();
}

void RunControl::changeTimeWarp(double delta) {
    if (m_TimeWarp < 1.0 && delta > 0.0)
        m_TimeWarp = 1.0;
    else
        m_TimeWarp += delta;
    if (m_TimeWarp > m_MaxTimeWarp) {
        m_TimeWarp = m_MaxTimeWarp;
        m_Host.showMessage(
            formatText("Maximum time warp reached (%.2f) for this simulation.", m_MaxTimeWarp),
            MessageIcon::Information);
    }
    if (m_TimeWarp < 0.5) {
        m_TimeWarp = 0.5;
        m_Host.showMessage("Half of real-time speed is the minimum time warp.",
                           MessageIcon::Information);
    }
    m_StepPeriod = stepPeriod();
    writeOutput("| " + formatText("Time warp factor is: %f", m_TimeWarp));
}

void RunControl::toggleMuteDetectors() {
    m_bMuteDetectors = !m_bMuteDetectors;
    writeOutput(m_bMuteDetectors ? "| Mute detectors on" : "| Mute detectors off");
}

void RunControl::toggleMuteBridges() {
    m_bMuteBridges = !m_bMuteBridges;
    writeOutput(m_bMuteBridges ? "| Mute bridges on" : "| Mute bridges off");
}

} // namespace tarlo
