#pragma once

#include "batch/BatchProgress.h"
#include "batch/Study.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tarlo::batch {

// How a run is started: the `tarlo` program and the settings file it is to load.
struct RunProgram {
    std::string program;
    std::optional<std::string> settings;

    // The command line of `tarlo run` for a run: its seed, traffic file and metrics folder,
    // its results rows in the folder, no progress line.
    std::vector<std::string> commandLine(const RunSpec& run) const;
};

// Runs the runs of a study on this machine, each as a separate `tarlo run` process, at most
// `jobs` at a time, in study order. A run's output and log go to its folder; its end is
// recorded there (RunFolder.h). A failed run is reported and the others go on.
class LocalBatch {
public:
    struct Options {
        RunProgram program;
        unsigned jobs = 1;
        bool resume = false; // skip the runs whose folder holds the completion marker
    };

    struct Outcome {
        BatchProgress progress;
        bool stopped = false; // the stop request ended the batch early
    };

    // Called when a run starts or ends, and every few tenths of a second between.
    using Observer = std::function<void(const BatchProgress&)>;
    // Polled while runs go on; once true, no further run starts and the running ones are
    // asked to stop (SIGTERM) and waited for.
    using StopRequest = std::function<bool()>;
    // Told of every run that failed or could not start: the run and why.
    using FailureReport = std::function<void(const RunSpec&, const std::string&)>;

    explicit LocalBatch(Options options) : m_Options(std::move(options)) {}

    Outcome run(const std::vector<RunSpec>& runs, const StopRequest& stopRequested,
                const Observer& observer, const FailureReport& reportFailure) const;

private:
    Options m_Options;
};

} // namespace tarlo::batch
