#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace tarlo::batch {

// Where a batch stands: runs done, running and failed, and the wall time of the runs done.
struct BatchProgress {
    std::size_t total = 0;
    std::size_t completed = 0; // ran and exited 0 in this batch
    std::size_t skipped = 0;   // complete from an earlier batch (--resume)
    std::size_t failed = 0;
    std::size_t running = 0;
    unsigned jobs = 1;
    double finishedSeconds = 0.0; // wall time of the runs completed or failed here
    double runningSeconds = 0.0;  // wall time so far of the runs running

    std::size_t left() const { return total - completed - skipped - failed; }
};

// The wall time left: the runs not yet ended, at the mean time of the runs ended so far,
// spread over the jobs, less what the running runs have already done. Nothing until a run
// has ended.
std::optional<double> secondsLeft(const BatchProgress& progress);

// "5 of 8 done | 2 running | 1 failed | 00:01:05 left", the time "--:--:--" until it can
// be estimated.
std::string progressLine(const BatchProgress& progress);

} // namespace tarlo::batch
