#include "cli/ProjectNew.h"

#include "cli/ExitCode.h"
#include "cli/TrafficFormat.h"
#include "platform/ConsoleHost.h"
#include "project/CTarloDoc.h"

#include <filesystem>
#include <optional>
#include <ostream>

namespace tarlo::cli {

namespace {

// A traffic record holds the lane in one digit.
constexpr std::uint64_t MAX_LANES = 9;

const char* const HELP = R"(Usage: tarlo new PROJECT [options]

Writes a new project with every default to PROJECT (a .tlp file, which must not exist
yet): a 3000 m road with 2 lanes in direction 1 and 1 in direction 2, a traffic file of
1 lane per direction, one speed limit and one flow and density detector, and a fresh
metrics folder beside the traffic file for every run. The traffic file name is stored
as given; a relative name is read from the project's folder.

Options:
  --traffic FILE    the traffic file of the project (default Traffic.in)
  --format FORMAT   its format: castor, saft or kirro (default castor)
  --lanes-pos N     lanes of direction 1, on the road and in the traffic file, 0 to 9
  --lanes-neg M     lanes of direction 2, on the road and in the traffic file, 0 to 9
  -h, --help        show this help
)";

struct Request {
    std::string path;
    std::optional<std::string> traffic;
    std::optional<int> format;
    std::optional<int> lanesPos;
    std::optional<int> lanesNeg;
};

std::optional<int> lanesOption(const Arguments& args, const std::string& name) {
    if (!args.has(name))
        return std::nullopt;
    const std::uint64_t lanes = args.count(name, 0);
    if (lanes > MAX_LANES)
        throw args.error("--" + name + " must be 0 to 9");
    return static_cast<int>(lanes);
}

int run(CommandContext& context, const Request& request) {
    std::error_code error;
    if (std::filesystem::exists(request.path, error)) {
        context.err << "tarlo: " << request.path << " already exists\n";
        return EXIT_FILE_ERROR;
    }
    CTarloDoc doc(context.settings, context.host);
    doc.newProject();
    if (request.traffic)
        doc.m_FileIn = *request.traffic;
    if (request.format)
        doc.m_FileType = static_cast<std::uint16_t>(*request.format);
    if (request.lanesPos)
        doc.m_NoLanesDirPos = doc.m_TrafFileNoLanesDirPos = *request.lanesPos;
    if (request.lanesNeg)
        doc.m_NoLanesDirNeg = doc.m_TrafFileNoLanesDirNeg = *request.lanesNeg;
    doc.updateLaneTotals();
    return doc.save(request.path) ? EXIT_OK : EXIT_FILE_ERROR;
}

Runner prepare(const Arguments& args) {
    args.expectPositional({"PROJECT"});
    Request request;
    request.path = args.positional()[0];
    request.traffic = args.value("traffic");
    if (request.traffic && request.traffic->empty())
        throw args.error("--traffic needs a file name");
    if (args.has("format"))
        request.format = formatOption(args, "format");
    request.lanesPos = lanesOption(args, "lanes-pos");
    request.lanesNeg = lanesOption(args, "lanes-neg");
    return [request](CommandContext& context) { return run(context, request); };
}

} // namespace

Command projectNewCommand() {
    return {"new",
            "PROJECT [--traffic FILE] [--format FORMAT] [--lanes-pos N] [--lanes-neg M]",
            "create a project with every default",
            HELP,
            {{"traffic"}, {"format"}, {"lanes-pos"}, {"lanes-neg"}},
            prepare};
}

} // namespace tarlo::cli
