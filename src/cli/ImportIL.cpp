#include "cli/ImportIL.h"

#include "bridges/ILImport.h"
#include "cli/ProjectEdit.h"
#include "cli/TrafficFormat.h"
#include "project/CTarloDoc.h"

#include <ostream>

namespace tarlo::cli {

namespace {

const char* const HELP = R"(Usage: tarlo import-il PROJECT FILE

Appends the discrete influence lines of the import file FILE to PROJECT, in file order,
numbered on from the lines the project holds, and saves it. A load effect then uses one
by its description or number ('tarlo add load-effect --discrete NAME').

The import file is comma-separated:
  N                         the number of influence lines in the file
  then for each line:
  ID,P[,DESCRIPTION]        its number (the project numbers it anew), its number of
                            points and, as a third field, its description (else
                            "Imported IL no. K")
  DISTANCE,ORDINATE         P lines: metres from the bridge start, effect per unit load

Exit codes: 0 imported, 3 FILE or PROJECT cannot be read or the project not written.

Options:
  -h, --help        show this help
)";

struct Request {
    std::string path;
    std::string file;
};

std::optional<std::string> importLines(CTarloDoc& doc, const Request& request, std::ostream& err) {
    if (!canRead(request.file)) {
        err << "tarlo: cannot read " << request.file << '\n';
        return std::nullopt;
    }
    const std::size_t present = doc.m_vInfLines.size();
    const ILImportResult result = ImportILFile(request.file, doc.m_vInfLines);
    if (!result.Succeeded()) {
        err << "tarlo: " << request.file << ": " << result.GetMessage() << '\n';
        return std::nullopt;
    }
    std::string line = "Imported " + std::to_string(result.m_NoImported) + " influence line" +
                       (result.m_NoImported == 1 ? "" : "s") + " from " + request.file;
    for (std::size_t i = present; i < doc.m_vInfLines.size(); ++i)
        line += (i == present ? ": " : ", ") + std::to_string(doc.m_vInfLines[i].GetID()) + " " +
                doc.m_vInfLines[i].getDescription();
    return line;
}

Runner prepare(const Arguments& args) {
    args.expectPositional({"PROJECT", "FILE"});
    const Request request{args.positional()[0], args.positional()[1]};
    return [request](CommandContext& context) {
        return editProject(context, request.path, [&request, &context](CTarloDoc& doc) {
            return importLines(doc, request, context.err);
        });
    };
}

} // namespace

Command importILCommand() {
    return {"import-il", "PROJECT FILE", "import discrete influence lines into a project", HELP,
            {},          prepare};
}

} // namespace tarlo::cli
