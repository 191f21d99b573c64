#include "batch/Manifest.h"

#include <charconv>
#include <istream>
#include <ostream>
#include <string>

namespace tarlo::batch {

namespace {

constexpr const char* HEADING = "# seed\tfolder\tproject\ttraffic";

std::vector<std::string> splitTabs(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
        fields.push_back(line.substr(start, tab - start));
    fields.push_back(line.substr(start));
    return fields;
}

} // namespace

void writeManifest(std::ostream& out, const std::vector<RunSpec>& runs) {
    out << HEADING << '\n';
    for (const RunSpec& run : runs)
        out << run.seed << '\t' << run.folder << '\t' << run.project << '\t' << run.traffic << '\n';
}

std::optional<RunSpec> manifestRun(std::istream& in, std::size_t index) {
    std::string line;
    if (!std::getline(in, line) || line != HEADING)
        return std::nullopt;
    for (std::size_t i = 0; i <= index; ++i)
        if (!std::getline(in, line))
            return std::nullopt;
    const std::vector<std::string> fields = splitTabs(line);
    if (fields.size() != 4 || fields[1].empty() || fields[2].empty())
        return std::nullopt;
    RunSpec run;
    const char* end = fields[0].data() + fields[0].size();
    const auto [stop, error] = std::from_chars(fields[0].data(), end, run.seed);
    if (error != std::errc() || stop != end)
        return std::nullopt;
    run.folder = fields[1];
    run.project = fields[2];
    run.traffic = fields[3];
    return run;
}

} // namespace tarlo::batch
