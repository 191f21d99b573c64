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

// The bridge part of the table as comma-separated rows with CR LF line ends, for a batch to
// gather: a header, then per bridge and load effect the bridge number, the load effect, the
// largest and smallest value with their times and the rows of the block maxima file, with
// the figures written exactly as the table writes them and an empty field where the table
// shows "-".
void writeResultsCsv(std::ostream& out, const RunResults& results);

} // namespace tarlo::cli
