#include "cli/ProjectRun.h"

#include "cli/ExitCode.h"
#include "cli/OutOfMemory.h"
#include "cli/ProgressLine.h"
#include "cli/ProjectFiles.h"
#include "cli/ResultsTable.h"
#include "cli/RunInterrupt.h"
#include "platform/ConsoleHost.h"
#include "project/CTarloDoc.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <ostream>
#include <thread>
#include <unistd.h>

namespace tarlo::cli {

namespace {

using namespace std::chrono_literals;

// How often the progress line is redrawn.
constexpr auto PROGRESS_PERIOD = 250ms;

const char* const HELP = R"(Usage: tarlo run PROJECT [options]

Validates the project and runs it invisibly, as fast as the machine allows. The output
log goes to standard output. While the run lasts, a terminal shows a progress line on
standard error: the share of the traffic file read, the vehicles on the road, the
simulated time, the speed-up over real time and the elapsed time. At the end come the
completion line, the metrics folder and the number of files the run wrote in full; then,
if there are any, the files it could not write in full (one that could not be created, or
a full disk), each on a line of its own.

Then the results table: per bridge and load effect the largest and the smallest value
with the simulated time (s) of each, and the rows written to the block maxima (BMax),
block minima (BMin), over-threshold (POT) and under-threshold (PUT) files, "-" for an
output not selected; then per detector its kind and the files it wrote.

Ctrl-C (SIGINT) or SIGTERM stops the run after its current step: every detector and
bridge writes what it holds and closes its files, the log gives the simulated time
reached ("Simulation stopped by the user at 5423.50 s"), and the metrics folder, the
files and the results table follow as at the end of a run. A second signal ends the
program at once.

A run that runs out of memory stops where it was as an interrupted run does, keeping what
it wrote; the metrics folder, the files and the results table follow, then "tarlo: out of
memory while running PROJECT".

Exit codes: 0 the run completed, 1 the project is invalid or the run could not be set
up, 3 the project cannot be read, reading the traffic file failed part way, the --results
file cannot be written, or memory ran out, 4 the run completed but some of its output
could not be written, 130 the run was interrupted.

Options:
  --seed N            seed of the random numbers; the same seed gives the same output
                      (default: chosen from the clock and written to the log)
  --metrics DIR       the metrics folder of this run, instead of the project's; a
                      relative DIR lies in the current folder, and only its last level
                      is created
  --traffic FILE      the traffic file of this run, instead of the project's (in the
                      project's format; a relative FILE lies in the current folder); the
                      project file is not changed
  --results FILE      also write the bridge part of the results table to FILE as
                      comma-separated rows (CR LF line ends): bridge number, load effect,
                      largest and smallest value with their times, block maxima rows
  --mute-detectors    run without the detectors
  --mute-bridges      run without the bridges
  --quiet             no progress line (the results table stays)
  --no-summary        no results table
  --settings FILE     program settings to use
  -h, --help          show this help
)";

struct Request {
    std::string path;
    std::optional<std::uint32_t> seed;
    std::optional<std::string> metrics;
    std::optional<std::string> traffic;
    std::optional<std::string> results;
    bool muteDetectors = false;
    bool muteBridges = false;
    bool progress = false;
    bool summary = true;
};

// The simulation itself belongs to the worker; only the run control's atomic fields are
// read here.
void showProgress(std::ostream& err, const RunControl& control) {
    ProgressFigures figures;
    figures.readPercent = control.m_ReadPercent;
    figures.vehiclesOnRoad = control.m_VehiclesOnRoad;
    // Until the first step the clock reads 0; the run starts at its first arrival.
    const double startTime = control.m_StartTime;
    figures.simulatedTime = std::max(control.m_SimTime.load(), startTime);
    figures.simulatedSpan = figures.simulatedTime - startTime;
    figures.elapsedMs = control.m_ElapsedMs;
    err << '\r' << progressLine(figures) << "\033[K" << std::flush;
}

// How a run ended, as the command's wait saw it.
enum class RunEnd { Finished, SetUpFailed, Interrupted };

// Sleeps until the worker posts its end (or, when its set-up fails, Stopped) or an interrupt
// wakes it (also as Stopped); with the progress line shown it wakes as well for each redraw.
// An interrupt stops the run as the Stop command does.
RunEnd waitForRun(CommandContext& context, RunControl& control, const RunInterrupt& interrupt,
                  bool progress) {
    ConsoleHost& host = context.host;
    const auto started =
        host.waitForAnyNotification({RunNotification::Started, RunNotification::Stopped});
    RunEnd end = RunEnd::Finished;
    if (interrupt.requested()) {
        end = RunEnd::Interrupted;
    } else if (started == RunNotification::Stopped) {
        end = RunEnd::SetUpFailed;
    } else {
        // The line shows from the start, however short the run.
        if (progress)
            showProgress(context.err, control);
        for (;;) {
            const auto posted = host.waitForAnyNotification(
                {RunNotification::InvisibleFinished, RunNotification::Stopped},
                progress ? std::optional(std::chrono::milliseconds(PROGRESS_PERIOD))
                         : std::nullopt);
            if (interrupt.requested()) {
                end = RunEnd::Interrupted;
                break;
            }
            if (posted)
                break;
            control.idleTick(host.tickMs());
            showProgress(context.err, control);
        }
    }
    if (end == RunEnd::Interrupted)
        control.interruptRun();
    control.waitForInvisibleRun();
    if (progress && started == RunNotification::Started)
        context.err << "\r\033[K" << std::flush;
    return end;
}

// The metrics folder and the files the run wrote, as its writers reported them; false when
// some could not be written in full.
bool reportFiles(std::ostream& out, CTarloDoc& doc) {
    const OutputFiles& files = doc.sim().road.outputFiles;
    const std::vector<std::string> failed = files.failed();
    out << "Metrics folder: " << doc.runPath(doc.m_MetricsDir) << '\n'
        << "Files written: " << files.written().size() << '\n';
    if (!failed.empty()) {
        out << "Files not written in full: " << failed.size() << '\n';
        for (const std::string& path : failed)
            out << "  " << path << '\n';
    }
    return failed.empty();
}

// The results table, from the tallies the run kept; the worker has been waited for.
void reportResults(std::ostream& out, CTarloDoc& doc) {
    out << '\n';
    writeResultsTable(out, doc.runControl().runResults(), doc.sim().road.outputFiles.failed());
}

// The table's bridge rows for a batch to gather; false when the file cannot be written.
bool writeResultsFile(CommandContext& context, CTarloDoc& doc, const std::string& path) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    writeResultsCsv(file, doc.runControl().runResults());
    file.close();
    if (file)
        return true;
    context.err << "tarlo: cannot write " << path << '\n';
    return false;
}

struct Reported {
    bool outputComplete = false; // every detector and bridge file was written in full
    bool resultsWritten = false; // the rows asked for with --results were written
};

// What the run reports once its worker is done: files, table and the rows for a batch.
Reported report(CommandContext& context, const Request& request, CTarloDoc& doc) {
    Reported reported;
    reported.outputComplete = reportFiles(context.out, doc);
    if (request.summary)
        reportResults(context.out, doc);
    reported.resultsWritten = !request.results || writeResultsFile(context, doc, *request.results);
    return reported;
}

int run(CommandContext& context, const Request& request) {
    CTarloDoc doc(context.settings, context.host);
    if (!openProject(doc, request.path, context.err))
        return EXIT_FILE_ERROR;
    if (request.seed)
        doc.m_Seed = request.seed;
    if (request.metrics) {
        doc.m_MetricsDir = commandLineFolder(*request.metrics);
        doc.m_bAutoDir = false;
    }
    if (request.traffic)
        doc.m_FileIn = std::filesystem::absolute(*request.traffic).string();
    RunControl& control = doc.runControl();
    control.m_bMuteDetectors = request.muteDetectors;
    control.m_bMuteBridges = request.muteBridges;

    // A signal wakes the wait below as the worker's own notifications do.
    ConsoleHost& host = context.host;
    const RunInterrupt interrupt([&host] { host.postRunNotification(RunNotification::Stopped); });
    whileDoing("validating " + request.path, [&] { control.runInvisible(); });
    // Without a worker the validation refused the project.
    if (!control.m_pWorkerThread.joinable())
        return EXIT_FAILED;
    const RunEnd end = waitForRun(context, control, interrupt, request.progress);
    if (end == RunEnd::Interrupted) {
        report(context, request, doc);
        return EXIT_INTERRUPTED;
    }
    // A run that ran out of memory stopped where it was, as an interrupted one does.
    if (control.m_bOutOfMemory) {
        report(context, request, doc);
        throw OutOfMemory("running " + request.path);
    }
    if (end == RunEnd::SetUpFailed)
        return EXIT_FAILED;
    control.invisibleFinished();

    const Reported reported = report(context, request, doc);
    if (control.m_bTrafficReadFailed || !reported.resultsWritten)
        return EXIT_FILE_ERROR;
    return reported.outputComplete ? EXIT_OK : EXIT_INCOMPLETE;
}

Runner prepare(const Arguments& args) {
    args.expectPositional({"PROJECT"});
    Request request;
    request.path = args.positional()[0];
    if (args.has("seed")) {
        const std::uint64_t seed = args.count("seed", 0);
        if (seed > std::numeric_limits<std::uint32_t>::max())
            throw args.error("--seed must be at most 4294967295");
        request.seed = static_cast<std::uint32_t>(seed);
    }
    request.metrics = args.value("metrics");
    if (request.metrics && request.metrics->empty())
        throw args.error("--metrics needs a folder name");
    request.traffic = args.value("traffic");
    if (request.traffic && request.traffic->empty())
        throw args.error("--traffic needs a file name");
    request.results = args.value("results");
    if (request.results && request.results->empty())
        throw args.error("--results needs a file name");
    request.muteDetectors = args.flag("mute-detectors");
    request.muteBridges = args.flag("mute-bridges");
    request.progress = !args.flag("quiet") && ::isatty(STDERR_FILENO);
    request.summary = !args.flag("no-summary");
    return [request](CommandContext& context) { return run(context, request); };
}

} // namespace

Command projectRunCommand() {
    return {"run",
            "PROJECT [--seed N] [--metrics DIR] [--traffic FILE] [--results FILE] "
            "[--mute-detectors] [--mute-bridges] [--quiet] [--no-summary]",
            "run a project invisibly and report its output",
            HELP,
            {{"seed"}, {"metrics"}, {"traffic"}, {"results"}},
            prepare,
            {{"mute-detectors"}, {"mute-bridges"}, {"quiet"}, {"no-summary"}}};
}

} // namespace tarlo::cli
