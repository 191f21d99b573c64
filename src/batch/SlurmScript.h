#pragma once

#include "batch/LocalBatch.h"

#include <cstddef>
#include <optional>
#include <string>

namespace tarlo::batch {

// What the job array asks of the cluster; empty fields are left to its defaults.
struct SlurmRequest {
    std::string jobName;
    std::optional<std::string> partition;
    std::optional<std::string> time;   // e.g. "2:00:00"
    std::optional<std::string> memory; // e.g. "2G"
};

// An sbatch script of a job array with one task per run: task n runs line n of the
// manifest with `tarlo batch-task`, which writes the run's folder as a local batch does.
// Each task's own standard output goes to task-<n>.out in `logFolder`.
std::string slurmScript(const SlurmRequest& request, const RunProgram& program,
                        const std::string& manifest, const std::string& logFolder,
                        std::size_t tasks);

// A word for the shell: in single quotes, any quote in it closed, escaped and reopened.
std::string shellQuoted(const std::string& word);

} // namespace tarlo::batch
