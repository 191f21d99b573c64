#pragma once

#include "batch/Study.h"

#include <optional>
#include <string>

namespace tarlo::batch {

// The files a batch keeps in a run's metrics folder beside the run's own output.
inline constexpr const char* RUN_LOG = "run.log";              // what the run printed
inline constexpr const char* RUN_RESULTS = "run-results.csv";  // its bridge results rows
inline constexpr const char* COMPLETE_MARKER = "run.complete"; // written once it exited 0
inline constexpr const char* FAILED_MARKER = "run.failed";     // what ended it otherwise

// The run completed: its folder holds the completion marker.
bool runComplete(const RunSpec& run);

// What ended a failed run ("exit 3"), or nothing when it did not fail (or never ended).
std::optional<std::string> runFailure(const RunSpec& run);

// Makes the folder and empties it, so that a run started again leaves nothing of an earlier
// attempt; false with the reason when it cannot.
bool prepareRunFolder(const RunSpec& run, std::string& error);

// Records how the run ended: the completion marker when it exited 0, else the failure.
void recordRunEnd(const RunSpec& run, int waitStatus);

} // namespace tarlo::batch
