#pragma once

#include "bridges/CInfLineDiscrete.h"
#include "detectors/CStatDetector.h"
#include "project/RunConfiguration.h"
#include "vehicles/CDiscreteDist.h"

#include <string>
#include <vector>

namespace tarlo {

// The revision of the project file layout that this program writes. Revision 1 added the
// revision item itself, 2 the bridges, 3 the influence lines and the constant-velocity
// switch, 4 dropped the output file and the two output detector positions, 5 numbered the
// bridges, 6 added the automatic metrics folder and the execute-on-open switch.
inline constexpr int ProjectRevision = 6;

// Everything a project file holds: the fields a run reads, and the ones only editing uses.
struct ProjectFields : RunConfiguration {
    int m_Version = ProjectRevision;
    bool m_bExecuteOnOpen = true;
    std::vector<CDiscreteDist> m_vDiscreteDists;
    std::vector<CInfLineDiscrete> m_vInfLines;

    // Appends an "Output Vehicles" detector under the given name at a global position; files
    // of revisions before 4 held the two output detectors as bare positions.
    CStatDetector& addLegacyOutputDetector(const std::string& name, bool positive, int position);
};

// Reads and writes project files: Boost XML archives of the project's items in a fixed order,
// gated by the file's revision. A ".qtf" file is a legacy project: it holds the items up to
// the vehicle types only. Files are written with CR LF line ends; LF and CR LF are read.
class ProjectFile {
public:
    struct Result {
        bool ok = false;
        // The archive library's message when not ok.
        std::string error;
        // The file had no revision item and was rewritten with one.
        bool repaired = false;
    };

    // Writes through a temporary file beside the target that then replaces it, so a failed
    // save leaves an existing file as it was.
    static Result save(const ProjectFields& fields, const std::string& path);
    // What a load does with a file that it had to repair.
    enum class Repair {
        RewriteFile, // the file on disk gets the repair
        InMemory     // the file stays as it was
    };

    // Reads into `fields`, which keep what the file's revision does not hold; on failure
    // `fields` are left as they were. A file whose items start without the revision item
    // (revision 0) gets "<m_Version>0</m_Version>" inserted after its first three lines and
    // is read again; only a file that then loads is written back with the insertion.
    // Running out of memory is no fault of the file: std::bad_alloc reaches the caller.
    static Result load(ProjectFields& fields, const std::string& path,
                       Repair repair = Repair::RewriteFile);

    // The message shown when a load fails: the file, the library's message and a hint for it.
    static std::string loadErrorText(const std::string& path, const std::string& error);
    // The message shown when a save fails.
    static std::string saveErrorText(const std::string& error);

    // Paths may separate folders with '\' (projects made on Windows) or '/'.
    // The part after the last separator.
    static std::string fileName(const std::string& path);
    // The file name from its last '.' on ("" when it has none), e.g. ".tlp".
    static std::string extension(const std::string& path);
    // The part before the last separator ("" when there is none).
    static std::string folder(const std::string& path);
    // A ".qtf" file (letter case significant).
    static bool isLegacy(const std::string& path) { return extension(path) == ".qtf"; }
};

} // namespace tarlo
