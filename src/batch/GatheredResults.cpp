#include "batch/GatheredResults.h"

#include "batch/CsvField.h"
#include "batch/RunFolder.h"

#include <fstream>
#include <ostream>
#include <string>

namespace tarlo::batch {

namespace {

// The fields after the run's own: the columns of a run's results rows.
constexpr const char* EMPTY_RESULT = ",,,,,,";

// The rows of a run's results file, less its header and line ends.
std::vector<std::string> resultRows(const RunSpec& run) {
    std::vector<std::string> rows;
    std::ifstream file(run.folder + RUN_RESULTS, std::ios::binary);
    std::string line;
    std::getline(file, line);
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            rows.push_back(line);
    }
    return rows;
}

} // namespace

GatheredCounts writeGatheredResults(std::ostream& out, const std::vector<RunSpec>& runs) {
    GatheredCounts counts;
    out << "Project,Traffic file,Seed,Status,Bridge,Load effect,Maximum,Time of maximum (s),"
           "Minimum,Time of minimum (s),Block maxima\r\n";
    for (const RunSpec& run : runs) {
        const std::string prefix = csvField(run.projectName) + ',' + csvField(run.trafficName) +
                                   ',' + std::to_string(run.seed) + ',';
        std::vector<std::string> rows;
        std::string status;
        if (runComplete(run)) {
            ++counts.completed;
            status = "completed";
            rows = resultRows(run);
        } else if (const std::optional<std::string> failure = runFailure(run)) {
            ++counts.failed;
            status = "failed (" + *failure + ")";
        } else {
            ++counts.notRun;
            status = "not run";
        }
        if (rows.empty())
            rows.push_back(EMPTY_RESULT);
        for (const std::string& row : rows)
            out << prefix << csvField(status) << ',' << row << "\r\n";
    }
    return counts;
}

} // namespace tarlo::batch
