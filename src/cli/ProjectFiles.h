#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>

namespace tarlo {
class CTarloDoc;
} // namespace tarlo

namespace tarlo::cli {

// Opens the project file into the document; a missing file is reported on `err`, a broken
// one by the document's own load message.
bool openProject(CTarloDoc& doc, const std::string& path, std::ostream& err);

// A metrics folder named on the command line: made absolute, because a relative one lies in
// the current folder and not in the project's, and ending in a separator, because the
// detectors and bridges write to the folder name followed directly by a file name.
std::string commandLineFolder(const std::string& path);

} // namespace tarlo::cli
