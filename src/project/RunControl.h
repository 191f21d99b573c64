#pragma once

#include "engine/Sim.h"
#include "project/RunConfiguration.h"
#include "project/RunResults.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

namespace tarlo {

class CSettings;
class Host;

// The run commands of a project: validation and set-up, the visible run paced from the
// user-interface thread's idle processing, the invisible run on a worker thread, pause,
// single step, stop, time warp and the mute switches, with their enabling rules and the
// messages they write.
//
// A visible run lives on the user-interface thread. An invisible run's set-up, steps and
// clean-up run on the worker; meanwhile the user-interface thread only reads and clears
// the atomic flags and measures the elapsed time. Commands are expected to follow the
// enabling rules below, as the menus do.
class RunControl {
public:
    using DocumentName = std::function<std::string()>;
    // The project validation; given the settings for its road limits. True: may run.
    using Validation = std::function<bool(const CSettings&)>;

    RunControl(RunConfiguration& config, Sim& sim, const CSettings& settings, Host& host,
               DocumentName documentName);
    // Asks an invisible run to stop and waits for its worker.
    ~RunControl();
    RunControl(const RunControl&) = delete;
    RunControl& operator=(const RunControl&) = delete;

    // Without a validation every project may run.
    void setValidation(Validation validation) { m_Validation = std::move(validation); }

    // Commands.
    void runVisible();
    void runInvisible();
    void singleStep();
    void togglePause();
    void stopSimulation();
    // Stop from outside the program (an interrupt of the command line): as Stop, then, once
    // the worker has left with every file written, the simulated time reached goes to the log.
    void interruptRun();
    void speedUp() { changeTimeWarp(m_TimeWarpStep); }
    void slowDown() { changeTimeWarp(-m_TimeWarpStep); }
    void changeTimeWarp(double delta);
    void toggleMuteDetectors();
    void toggleMuteBridges();

    // The idle call of the user-interface thread, with the current tick.
    void idleTick(std::uint32_t now);
    // On the user-interface thread, when the worker's finished notification arrives.
    void invisibleFinished();
    // Closing: asks an invisible run to stop and waits for its worker to end.
    void waitForWorker();
    // Waits for an invisible run to end on its own (batch runs).
    void waitForInvisibleRun();

    // The stages of a run.
    bool validateSimulation();
    // Composes the name of the automatic metrics folder, beside the traffic file.
    void makeAutoMetricsDir();
    // Composes the automatic folder's name and makes the folder; when the name is taken
    // (another run of the same second) the first free one of name-2, name-3, ... The making
    // itself is the test of freeness, so two runs never share a folder. A folder that cannot
    // be made at all keeps the composed name, and the validation reports it.
    void createAutoMetricsDir();
    // The run path of the folder the last createAutoMetricsDir made; empty when it made none.
    const std::string& madeMetricsDir() const { return m_MadeMetricsDir; }
    bool initSimulation();
    bool startRun();
    void endSimulation(bool report);
    void reportProgress();
    std::string bridgeValuesText() const;
    // What the last run produced. Filled by the thread of the run; read it once the run has
    // ended (for an invisible run, once its worker has been waited for).
    const RunResults& runResults() const { return m_RunResults; }

    // Enabling rules of the commands.
    bool canRunVisible() const { return !m_bRunning || isPausedVisibleRun(); }
    bool canRunInvisible() const { return !m_bRunning; }
    bool canSingleStep() const { return canRunVisible(); }
    bool canPause() const { return isVisibleRunActive(); }
    const char* pauseMenuText() const { return m_bPaused ? "&Resume\tF9" : "&Pause\tF9"; }
    bool canChangeSpeed() const { return isVisibleRunActive(); }
    bool canStop() const { return m_bRunning; }
    bool canToggleMute() const { return !m_bRunning; }
    bool isMuteDetectorsChecked() const { return m_bMuteDetectors; }
    bool isMuteBridgesChecked() const { return m_bMuteBridges; }
    // Element editing, and creating or opening a document. Deliberately: editing also waits
    // for a stopped worker to leave, as its set-up may still be reading the elements.
    bool canEditElements() const { return !m_bRunning && !m_bWorkerBusy; }
    bool canOpenDocument() const { return !m_bInvisibleRun; }

    // Who touches what while an invisible run's worker lives (from runInvisible until its
    // join): "worker" fields are the worker's alone until the join, "user interface" fields
    // are never touched by the worker, and the atomic ones are shared.

    // Shared: the user interface writes them only while no run is flagged, which can be while
    // a stopped worker still sets up and reads them.
    std::atomic<bool> m_bMuteDetectors{false};
    std::atomic<bool> m_bMuteBridges{false};
    // Shared: the run's state flags.
    std::atomic<bool> m_bRunning{false};
    std::atomic<bool> m_bPaused{false};
    std::atomic<bool> m_bVisibleRun{false};
    // Shared. Clearing it asks the worker to stop after its current step.
    std::atomic<bool> m_bInvisibleRun{false};
    // User interface: the pacing of a visible run; an invisible run is not paced.
    double m_TimeWarp = 1.0;
    double m_MaxTimeWarp = 1000.0;
    std::uint32_t m_TimeWarpSimStep;
    double m_TimeWarpStep;
    std::uint32_t m_StepPeriod = 0;
    std::uint32_t m_NextStepTick = 0;
    std::uint32_t m_DisplayPeriod = 50;
    // Shared: set by the worker's set-up while the idle processing reads and advances them.
    std::atomic<std::uint32_t> m_NextDisplayTick{0};
    std::atomic<std::uint32_t> m_StartTick{0};
    // User interface.
    std::uint32_t m_PauseTick = 0;
    // Shared: measured by the idle processing, cleared before a worker starts.
    std::atomic<std::uint32_t> m_ElapsedMs{0};
    // Shared: published by the thread of the run after each step, the simulated time, the
    // share of the traffic file read (percent) and the vehicles on the road.
    std::atomic<double> m_SimTime{0.0};
    std::atomic<double> m_StartTime{0.0};
    std::atomic<int> m_ReadPercent{0};
    std::atomic<int> m_VehiclesOnRoad{0};
    // User interface: a visible run's progress lines and the road as drawn.
    int m_Progress = 0;
    int m_LastProgress = 0;
    LaneSnapshot m_LaneSnapshot;
    // User interface: only the user-interface thread starts, tests and joins the worker.
    std::thread m_pWorkerThread;
    // Shared: set before the worker starts, cleared by the worker as it leaves.
    std::atomic<bool> m_bWorkerBusy{false};
    // Shared: the last run met a read error in its traffic file and lacks the rest of it.
    std::atomic<bool> m_bTrafficReadFailed{false};
    // Shared: the last invisible run ran out of memory and stopped where it was.
    std::atomic<bool> m_bOutOfMemory{false};

private:
    bool isVisibleRunActive() const { return m_bRunning && m_bVisibleRun; }
    bool isPausedVisibleRun() const { return isVisibleRunActive() && m_bPaused; }

    void runWorker(const std::string& documentName);
    void joinWorker();
    // One visible step; true when it ended the run.
    bool takeStep();
    // The figures others may read while the run goes on.
    void publishStep();
    // Empties the road and the clock after a run, then leaves the running state.
    void clearRun();
    // Forgets what a visible run showed; on the user-interface thread only.
    void clearVisibleRun();
    // The completion line with the run's duration, and whether its output is complete.
    void reportCompletion(const std::string& duration);
    std::uint32_t stepPeriod() const;
    void chooseSeed();
    void writeOutput(const std::string& message);
    void writeOutput(const std::string& documentName, const std::string& message);

    // Written by the user interface before a worker starts, read by the worker.
    std::uint32_t m_RunSeed = 0;
    // User interface.
    std::string m_MadeMetricsDir;
    // Worker, during an invisible run.
    RunResults m_RunResults;
    // Read by the worker's set-up; edited only while no run is flagged.
    RunConfiguration& m_Config;
    // Worker, during an invisible run: the road and its clock.
    Sim& m_Sim;
    const CSettings& m_Settings;
    Host& m_Host;
    DocumentName m_DocumentName;
    Validation m_Validation;
};

} // namespace tarlo
