#pragma once

#include "batch/Study.h"

#include <cstddef>
#include <iosfwd>
#include <vector>

namespace tarlo::batch {

// What the gathered results hold.
struct GatheredCounts {
    std::size_t completed = 0;
    std::size_t failed = 0;
    std::size_t notRun = 0; // neither complete nor failed: not run yet, or killed
};

// results.csv of a study, with CR LF line ends like every output of a run: a header, then
// per run in study order its project, traffic file, seed and status ("completed",
// "failed (exit 3)", "not run"), followed by the rows the run wrote for its bridges and load
// effects (bridge, load effect, maximum and minimum with their times, block maxima). A run
// without rows, failed or not run, or complete without any load effect, takes one row with
// the bridge fields empty.
GatheredCounts writeGatheredResults(std::ostream& out, const std::vector<RunSpec>& runs);

} // namespace tarlo::batch
