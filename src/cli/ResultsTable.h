#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace tarlo {
struct RunResults;
}

namespace tarlo::cli {

// The results table printed at the end of a run. Per bridge a heading with its number,
// description and extent, then one row per load effect: the largest and the smallest value
// (one decimal, as the output files write them) with the simulated time of each (seconds,
// two decimals, as in the files), and the rows written to the block maxima, block minima,
// over- and under-threshold files ("-" for an output not selected). Then one row per
// detector file: the detector's description and kind on its first file, the file name
// (within the metrics folder), marked when it is among `failed`. A part without bridges or
// detectors takes one line saying so.
void writeResultsTable(std::ostream& out, const RunResults& results,
                       const std::vector<std::string>& failed);

} // namespace tarlo::cli
