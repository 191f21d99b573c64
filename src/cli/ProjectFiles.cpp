#include "cli/ProjectFiles.h"

#include "cli/OutOfMemory.h"
#include "cli/TrafficFormat.h"
#include "project/CTarloDoc.h"

#include <ostream>

namespace tarlo::cli {

bool openProject(CTarloDoc& doc, const std::string& path, std::ostream& err) {
    if (!canRead(path)) {
        err << "tarlo: cannot read " << path << '\n';
        return false;
    }
    return whileDoing("loading " + path, [&] { return doc.open(path); });
}

std::string commandLineFolder(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    std::string folder = error ? path : absolute.string();
    if (!folder.ends_with('/'))
        folder += '/';
    return folder;
}

} // namespace tarlo::cli
