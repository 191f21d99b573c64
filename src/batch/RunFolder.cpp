#include "batch/RunFolder.h"

#include "batch/Process.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/wait.h>
#include <vector>

namespace tarlo::batch {

namespace fs = std::filesystem;

bool runComplete(const RunSpec& run) {
    std::error_code ec;
    return fs::is_regular_file(run.folder + COMPLETE_MARKER, ec);
}

std::optional<std::string> runFailure(const RunSpec& run) {
    std::ifstream file(run.folder + FAILED_MARKER, std::ios::binary);
    if (!file)
        return std::nullopt;
    std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

bool prepareRunFolder(const RunSpec& run, std::string& error) {
    std::error_code ec;
    fs::create_directories(run.folder, ec);
    std::vector<fs::path> leftovers;
    if (!ec)
        for (const fs::directory_entry& entry : fs::directory_iterator(run.folder, ec))
            leftovers.push_back(entry.path());
    for (const fs::path& leftover : leftovers)
        if (!ec)
            fs::remove_all(leftover, ec);
    if (ec)
        error = "cannot prepare " + run.folder + ": " + ec.message();
    return !ec;
}

void recordRunEnd(const RunSpec& run, int waitStatus) {
    const bool complete = WIFEXITED(waitStatus) && WEXITSTATUS(waitStatus) == 0;
    std::ofstream marker(run.folder + (complete ? COMPLETE_MARKER : FAILED_MARKER),
                         std::ios::binary | std::ios::trunc);
    if (!complete)
        marker << exitDescription(waitStatus) << "\r\n";
}

} // namespace tarlo::batch
