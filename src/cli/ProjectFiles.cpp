#include "cli/ProjectFiles.h"

#include "cli/TrafficFormat.h"
#include "project/CTarloDoc.h"

#include <ostream>

namespace tarlo::cli {

bool openProject(CTarloDoc& doc, const std::string& path, std::ostream& err) {
    if (!canRead(path)) {
        err << "tarlo: cannot read " << path << '\n';
        return false;
    }
    return doc.open(path);
}

std::string commandLineFolder(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    std::string folder = error ? path : absolute.string();
    if (!folder.ends_with('/'))
        folder += '/';
    return folder;
}

std::size_t filesWrittenSince(const std::string& folder, std::filesystem::file_time_type since) {
    std::error_code error;
    std::size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        std::error_code entryError;
        if (entry.is_regular_file(entryError) && entry.last_write_time(entryError) >= since &&
            !entryError)
            ++count;
    }
    return count;
}

} // namespace tarlo::cli
