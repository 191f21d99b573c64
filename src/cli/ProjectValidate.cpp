#include "cli/ProjectValidate.h"

#include "cli/ExitCode.h"
#include "cli/OutOfMemory.h"
#include "cli/ProjectFiles.h"
#include "platform/ConsoleHost.h"
#include "project/CTarloDoc.h"
#include "project/CValidation.h"

namespace tarlo::cli {

namespace {

const char* const HELP = R"(Usage: tarlo validate PROJECT

Checks the project as a run would and prints the validation report, one line per
finding. A project with an automatic metrics folder is checked with a new folder named
as a run of this second would name it (with -2, -3, ... appended when the name is
taken), which is created, as the metrics folder of every validation is.

Exit codes: 0 the project may run, 1 it may not, 3 the project cannot be read, or
memory ran out.

Options:
  -h, --help        show this help
)";

int run(CommandContext& context, const std::string& path) {
    CTarloDoc doc(context.settings, context.host);
    if (!openProject(doc, path, context.err))
        return EXIT_FILE_ERROR;
    // The default metrics folder is never used by a run with an automatic one.
    if (doc.m_bAutoDir)
        doc.runControl().createAutoMetricsDir();
    const bool valid = whileDoing("validating " + path, [&] {
        return CValidation(&doc, context.settings, context.host).validate();
    });
    return valid ? EXIT_OK : EXIT_FAILED;
}

Runner prepare(const Arguments& args) {
    args.expectPositional({"PROJECT"});
    const std::string path = args.positional()[0];
    return [path](CommandContext& context) { return run(context, path); };
}

} // namespace

Command projectValidateCommand() {
    return {"validate", "PROJECT", "check a project and print the validation report",
            HELP,       {},        prepare};
}

} // namespace tarlo::cli
