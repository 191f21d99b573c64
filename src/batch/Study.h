#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tarlo::batch {

// One run of a study: a project with one traffic file and one seed, and the folder it
// writes into.
struct RunSpec {
    std::string project; // the project file, absolute
    std::string traffic; // the traffic file in place of the project's, absolute; empty
                         // when the project's own is used
    std::uint32_t seed = 0;
    std::string folder;      // the metrics folder of the run, absolute, ending in '/'
    std::string projectName; // the project as the study names it
    std::string trafficName; // the traffic file as the study or the project names it
};

// A study file made into its runs: every project with each of its traffic files and each of
// its seeds, in the order of the file (projects, then traffic files, then seeds).
struct Study {
    std::string output; // the folder of the runs and the gathered results, absolute, with '/'
    std::vector<RunSpec> runs;
};

// The traffic file named by a project (as stored in it), or nothing when the project cannot
// be read.
using ProjectTraffic = std::function<std::optional<std::string>(const std::string& project)>;

struct StudyReading {
    std::optional<Study> study; // only when the file holds no error
    // Each as "study.toml:7: unknown key 'sed'": the file as named, the line, what is wrong.
    std::vector<std::string> errors;
};

// Reads a study file (TOML). Paths in it are relative to its folder:
//
//   output = "results"                  # optional; default: the file's name less ".toml"
//   [[project]]
//   file = "bridge.tlp"
//   seeds = [1, 2, 3]                   # or a range: { first = 1, last = 10 }
//   traffic = ["jan.cas", "months/*.cas"] # optional; one file or glob, or a list of them
//
// A run writes into OUTPUT/<project>/<traffic>/seed-<n>/, the project and traffic file
// named by their file names less the extension. Every fault is reported, not only the
// first: unknown keys, wrong types, a missing project or traffic file, a glob matching
// nothing, a seed outside 0 to 4294967295, an empty or reversed range, a seed or a folder
// used twice.
StudyReading readStudy(const std::string& path, const ProjectTraffic& projectTraffic);

// A range may hold at most this many seeds.
inline constexpr std::uint64_t MAX_SEED_RANGE = 100000;

} // namespace tarlo::batch
