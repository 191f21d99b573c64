#include "cli/BatchTask.h"

#include "batch/LocalBatch.h"
#include "batch/Manifest.h"
#include "batch/Process.h"
#include "cli/ExitCode.h"
#include "cli/RunInterrupt.h"

#include <fstream>
#include <limits>
#include <ostream>

namespace tarlo::cli {

namespace {

const char* const HELP = R"(Usage: tarlo batch-task MANIFEST INDEX

Runs the run of line INDEX (from 0) of a manifest that `tarlo batch STUDY --slurm` wrote,
as the array task INDEX of its job does: the run's folder is emptied, the run writes its
output and run.log there, and run.complete or run.failed records how it ended. SIGTERM
(a cancelled task, a task out of time) stops the run as it stops `tarlo run`.

Exit codes: 0 the run completed, 2 usage error, 3 the manifest cannot be read or has no
such line, 5 the run failed, 130 the task was stopped.

Options:
  --settings FILE    program settings to use in the run
  -h, --help         show this help
)";

struct Request {
    std::string manifest;
    std::size_t index = 0;
};

int run(CommandContext& context, const Request& request) {
    std::ifstream manifest(request.manifest, std::ios::binary);
    const std::optional<batch::RunSpec> spec = batch::manifestRun(manifest, request.index);
    if (!spec) {
        context.err << "tarlo: " << request.manifest << " has no run " << request.index << '\n';
        return EXIT_FILE_ERROR;
    }
    const batch::LocalBatch local({{batch::currentProgram(), context.settingsPath}, 1, false});
    const RunInterrupt interrupt;
    const auto reportFailure = [&](const batch::RunSpec&, const std::string& why) {
        context.err << "tarlo: run failed (" << why << ")\n";
    };
    const batch::LocalBatch::Outcome outcome = local.run(
        {*spec}, [&] { return interrupt.requested(); }, [](const batch::BatchProgress&) {},
        reportFailure);
    if (outcome.stopped)
        return EXIT_INTERRUPTED;
    return outcome.progress.completed == 1 ? EXIT_OK : EXIT_RUNS_FAILED;
}

Runner prepare(const Arguments& args) {
    args.expectPositional({"MANIFEST", "INDEX"});
    Request request;
    request.manifest = args.positional()[0];
    const std::string& index = args.positional()[1];
    if (index.find_first_not_of("0123456789") != std::string::npos || index.size() > 9)
        throw args.error("INDEX must be a whole number, not '" + index + "'");
    request.index = std::stoul(index);
    return [request](CommandContext& context) { return run(context, request); };
}

} // namespace

Command batchTaskCommand() {
    return {"batch-task",
            "MANIFEST INDEX",
            "run one run of a batch manifest (a Slurm array task)",
            HELP,
            {},
            prepare};
}

} // namespace tarlo::cli
