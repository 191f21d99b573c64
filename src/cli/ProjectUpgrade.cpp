#include "cli/ProjectUpgrade.h"

#include "cli/ExitCode.h"
#include "cli/TrafficFormat.h"
#include "platform/ConsoleHost.h"
#include "project/ProjectFile.h"

#include <filesystem>
#include <optional>
#include <ostream>

namespace tarlo::cli {

namespace {

const char* const HELP = R"(Usage: tarlo upgrade OLD NEW [options]
       tarlo upgrade OLD --in-place [options]

Reads the project OLD, of any revision (a legacy .qtf project too), and writes it as a
project of the current revision to NEW, a .tlp file that must not exist yet. OLD is left
as it was, even when it lacks its revision item. With --in-place the project replaces OLD
itself, which must then be a .tlp file. The file is written beside its target first and
takes its place only when it is complete.

Items that OLD's revision does not hold get a new project's values: no bridges and no
influence lines from a .qtf project. Paths are kept as they stand; a relative one is read
from the folder of the project that holds it.

Options:
  --traffic FILE    the traffic file of the project instead of OLD's, stored as given
  --format FORMAT   its format instead of OLD's: castor, saft or kirro
  --in-place        replace OLD instead of writing NEW
  -h, --help        show this help
)";

struct Request {
    std::string from;
    std::string to;
    bool inPlace = false;
    std::optional<std::string> traffic;
    std::optional<int> format;
};

int run(CommandContext& context, const Request& request) {
    if (!canRead(request.from)) {
        context.err << "tarlo: cannot read " << request.from << '\n';
        return EXIT_FILE_ERROR;
    }
    std::error_code error;
    if (!request.inPlace && std::filesystem::exists(request.to, error)) {
        context.err << "tarlo: " << request.to << " already exists\n";
        return EXIT_FILE_ERROR;
    }
    ProjectFields fields;
    // Deliberately: a file without its revision item is repaired in memory only; opening it
    // would rewrite it, and OLD is never written unless it is replaced.
    const ProjectFile::Result loaded =
        ProjectFile::load(fields, request.from, ProjectFile::Repair::InMemory);
    if (!loaded.ok) {
        context.host.showMessage(ProjectFile::loadErrorText(request.from, loaded.error),
                                 MessageIcon::Error);
        return EXIT_FILE_ERROR;
    }
    if (request.traffic)
        fields.m_FileIn = *request.traffic;
    if (request.format)
        fields.m_FileType = static_cast<std::uint16_t>(*request.format);
    const ProjectFile::Result saved = ProjectFile::save(fields, request.to);
    if (!saved.ok) {
        context.host.showMessage(ProjectFile::saveErrorText(saved.error), MessageIcon::Error);
        return EXIT_FILE_ERROR;
    }
    context.out << "Project written: " << request.to << " (revision " << ProjectRevision << ")\n";
    return EXIT_OK;
}

Runner prepare(const Arguments& args) {
    Request request;
    request.inPlace = args.flag("in-place");
    args.expectPositional(request.inPlace ? std::vector<std::string>{"OLD"}
                                          : std::vector<std::string>{"OLD", "NEW"});
    request.from = args.positional()[0];
    request.to = request.inPlace ? request.from : args.positional()[1];
    if (ProjectFile::extension(request.to) != ".tlp")
        throw args.error(request.inPlace ? "--in-place needs a .tlp project; name a NEW one"
                                         : "NEW must be a .tlp file");
    request.traffic = args.value("traffic");
    if (request.traffic && request.traffic->empty())
        throw args.error("--traffic needs a file name");
    if (args.has("format"))
        request.format = formatOption(args, "format");
    return [request](CommandContext& context) { return run(context, request); };
}

} // namespace

Command projectUpgradeCommand() {
    return {"upgrade",
            "OLD (NEW | --in-place) [--traffic FILE] [--format FORMAT]",
            "save a project of any revision as a current one",
            HELP,
            {{"traffic"}, {"format"}},
            prepare,
            {"in-place"}};
}

} // namespace tarlo::cli
