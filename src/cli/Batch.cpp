#include "cli/Batch.h"

#include "batch/GatheredResults.h"
#include "batch/LocalBatch.h"
#include "batch/Manifest.h"
#include "batch/Process.h"
#include "batch/RunFolder.h"
#include "batch/SlurmScript.h"
#include "batch/Study.h"
#include "cli/ExitCode.h"
#include "cli/RunInterrupt.h"
#include "cli/TrafficFormat.h"
#include "platform/ConsoleHost.h"
#include "project/CTarloDoc.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace tarlo::cli {

namespace {

namespace fs = std::filesystem;

const char* const HELP = R"(Usage: tarlo batch STUDY [--jobs N] [--resume]
       tarlo batch STUDY --slurm [--partition P] [--time T] [--mem M] [--dry-run] [--resume]
       tarlo batch STUDY --gather

Runs every run of a study: each project of the study file with each of its traffic files
and each of its seeds. Each run is a `tarlo run` process of its own, so a run that fails
or crashes leaves the others running. A run writes its output into its own metrics
folder OUT/<project>/<traffic>/seed-<n>/ (the project and traffic file named without
their extension), with what it printed in run.log there; a run that exits 0 leaves the
marker run.complete there, any other leaves run.failed saying how it ended. A failed run
is reported on standard error and the batch goes on. Once the runs have ended,
OUT/results.csv gathers their results (CR LF line ends): per run and load effect the
project, traffic file, seed, status, bridge, load effect, maximum and minimum with their
times (s) and the number of block maxima, the figures of the run's own results table; a
failed run takes one row with its status. On a terminal a line on standard error shows
the runs done, running and failed and the time left, estimated from the runs done.

The study file (TOML); paths are relative to its folder:

  output = "results"        # OUT; default: the study file's name without .toml
  [[project]]
  file = "bridge.tlp"
  seeds = [1, 2, 3]         # or a range: seeds = { first = 1, last = 10 }
  traffic = "months/*.cas"  # optional: a file or glob, or a list of them; one run per
                            # file; without it the project's own traffic file

A study file with an unknown key, a missing project or traffic file, a glob that matches
no file or a bad seed (not 0 to 4294967295, a range that is empty or holds more than
100000 seeds, a seed given twice) is refused before any run starts, each fault named with
its file and line ("study.toml:7: unknown key 'sed'").

With --slurm no run starts here: OUT/slurm/ receives manifest.tsv (one line per run) and
job.sbatch, a Slurm job array with one task per run that runs the task's line of the
manifest (`tarlo batch-task`); the script is submitted with sbatch when sbatch is on the
path. Slurm does the queueing, the retries and the placement. Once the tasks have ended,
--gather writes OUT/results.csv (runs not ended yet show as "not run").

Exit codes: 0 every run completed, 1 the study file was refused or the job could not be
submitted, 2 usage error, 3 the study file or OUT cannot be read or written, 5 some runs
failed (or, with --gather, have not ended), 130 interrupted: the running runs were
stopped as Ctrl-C stops `tarlo run`, and the runs not started yet are left for --resume.

Options:
  --jobs N           runs at a time (default: the number of cores, here )";

const char* const HELP_OPTIONS = R"()
  --resume           skip the runs whose folder holds run.complete; every other run
                     starts again in an emptied folder (with --slurm: only those runs
                     go into the job array)
  --slurm            write (and submit) a Slurm job array instead of running here
  --partition P      the partition of the job array
  --time T           the time limit of each task (sbatch --time, e.g. 2:00:00)
  --mem M            the memory of each task (sbatch --mem, e.g. 2G)
  --dry-run          with --slurm: only write the script and the manifest
  --gather           only write OUT/results.csv from the run folders
  --settings FILE    program settings to use, in every run too
  -h, --help         show this help
)";

enum class Mode { Local, Slurm, Gather };

struct Request {
    std::string study;
    Mode mode = Mode::Local;
    unsigned jobs = 1;
    bool resume = false;
    bool dryRun = false;
    batch::SlurmRequest slurm;
    bool progress = false;
};

unsigned coreCount() {
    return std::max(1u, std::thread::hardware_concurrency());
}

// The study's runs, or nothing after the faults have been reported.
std::optional<batch::Study> readStudy(CommandContext& context, const std::string& path,
                                      int& exitCode) {
    if (!canRead(path)) {
        context.err << "tarlo: cannot read " << path << '\n';
        exitCode = EXIT_FILE_ERROR;
        return std::nullopt;
    }
    const auto projectTraffic =
        [&context](const std::string& project) -> std::optional<std::string> {
        CTarloDoc doc(context.settings, context.host);
        if (!doc.open(project))
            return std::nullopt;
        return doc.m_FileIn;
    };
    batch::StudyReading reading = batch::readStudy(path, projectTraffic);
    if (!reading.study) {
        for (const std::string& error : reading.errors)
            context.err << error << '\n';
        context.err << "tarlo: the study is refused; no run was started\n";
        exitCode = EXIT_FAILED;
        return std::nullopt;
    }
    return std::move(reading.study);
}

batch::RunProgram runProgram(const CommandContext& context) {
    return {batch::currentProgram(), context.settingsPath};
}

// OUT/results.csv from the run folders; the exit code of the whole.
int gather(CommandContext& context, const batch::Study& study) {
    const std::string path = study.output + "results.csv";
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    const batch::GatheredCounts counts = batch::writeGatheredResults(file, study.runs);
    file.close();
    if (!file) {
        context.err << "tarlo: cannot write " << path << '\n';
        return EXIT_FILE_ERROR;
    }
    context.out << "Runs: " << study.runs.size() << ", completed " << counts.completed
                << ", failed " << counts.failed << ", not run " << counts.notRun << '\n'
                << "Results: " << path << '\n';
    return counts.completed == study.runs.size() ? EXIT_OK : EXIT_RUNS_FAILED;
}

int runHere(CommandContext& context, const Request& request, const batch::Study& study) {
    const batch::LocalBatch local({runProgram(context), request.jobs, request.resume});
    const RunInterrupt interrupt;
    bool lineShown = false;
    const auto observer = [&](const batch::BatchProgress& progress) {
        if (!request.progress)
            return;
        context.err << '\r' << batch::progressLine(progress) << "\033[K" << std::flush;
        lineShown = true;
    };
    const auto reportFailure = [&](const batch::RunSpec& run, const std::string& why) {
        context.err << (lineShown ? "\r\033[K" : "") << "tarlo: run failed (" << why
                    << "): " << run.projectName << ", " << run.trafficName << ", seed " << run.seed
                    << '\n';
    };
    const batch::LocalBatch::Outcome outcome = local.run(
        study.runs, [&] { return interrupt.requested(); }, observer, reportFailure);
    if (lineShown)
        context.err << "\r\033[K" << std::flush;
    if (outcome.progress.skipped > 0)
        context.out << "Skipped (complete before): " << outcome.progress.skipped << '\n';
    const int gathered = gather(context, study);
    if (outcome.stopped)
        return EXIT_INTERRUPTED;
    return gathered;
}

// The name of a job: the study file's, in the characters sbatch takes without quoting.
std::string jobName(const std::string& study) {
    std::string name = "tarlo-" + fs::path(study).stem().string();
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_' && c != '.')
            c = '_';
    return name;
}

int submitToSlurm(CommandContext& context, const Request& request, const batch::Study& study) {
    std::vector<batch::RunSpec> runs;
    for (const batch::RunSpec& run : study.runs)
        if (!request.resume || !batch::runComplete(run))
            runs.push_back(run);
    if (runs.empty()) {
        context.out << "Every run is complete; nothing to submit.\n";
        return gather(context, study);
    }
    const std::string folder = study.output + "slurm/";
    const std::string manifest = folder + "manifest.tsv";
    const std::string script = folder + "job.sbatch";
    std::error_code ec;
    fs::create_directories(folder, ec);
    std::ofstream manifestFile(manifest, std::ios::binary | std::ios::trunc);
    batch::writeManifest(manifestFile, runs);
    manifestFile.close();
    std::ofstream scriptFile(script, std::ios::binary | std::ios::trunc);
    scriptFile << batch::slurmScript(request.slurm, runProgram(context), manifest, folder,
                                     runs.size());
    scriptFile.close();
    if (ec || !manifestFile || !scriptFile) {
        context.err << "tarlo: cannot write the job files in " << folder << '\n';
        return EXIT_FILE_ERROR;
    }
    context.out << "Manifest: " << manifest << " (" << runs.size() << " runs)\n"
                << "Job script: " << script << '\n';
    if (request.dryRun)
        return EXIT_OK;
    const std::optional<std::string> sbatch = batch::findOnPath("sbatch");
    if (!sbatch) {
        context.out << "sbatch is not on the path; submit the job with: sbatch " << script << '\n';
        return EXIT_OK;
    }
    std::string output;
    std::string error;
    const std::optional<int> status =
        batch::runCapturing({*sbatch, "--parsable", script}, output, error);
    if (!status || !WIFEXITED(*status) || WEXITSTATUS(*status) != 0) {
        context.err << "tarlo: sbatch failed"
                    << (status ? " (" + batch::exitDescription(*status) + ")" : ": " + error)
                    << '\n';
        return EXIT_FAILED;
    }
    while (!output.empty() && (output.back() == '\n' || output.back() == '\r'))
        output.pop_back();
    context.out << "Submitted job array " << output << " with " << runs.size() << " tasks\n"
                << "When it has ended: tarlo batch " << request.study << " --gather\n";
    return EXIT_OK;
}

int run(CommandContext& context, const Request& request) {
    int exitCode = EXIT_OK;
    const std::optional<batch::Study> study = readStudy(context, request.study, exitCode);
    if (!study)
        return exitCode;
    std::error_code ec;
    fs::create_directories(study->output, ec);
    if (ec) {
        context.err << "tarlo: cannot make " << study->output << ": " << ec.message() << '\n';
        return EXIT_FILE_ERROR;
    }
    switch (request.mode) {
    case Mode::Gather:
        return gather(context, *study);
    case Mode::Slurm:
        return submitToSlurm(context, request, *study);
    case Mode::Local:
        break;
    }
    return runHere(context, request, *study);
}

Runner prepare(const Arguments& args) {
    args.expectPositional({"STUDY"});
    Request request;
    request.study = args.positional()[0];
    const bool slurm = args.flag("slurm");
    const bool gather = args.flag("gather");
    request.resume = args.flag("resume");
    request.dryRun = args.flag("dry-run");
    if (slurm && gather)
        throw args.error("--slurm and --gather exclude each other");
    if (gather && (request.resume || args.has("jobs")))
        throw args.error("--gather takes neither --resume nor --jobs");
    if (!slurm)
        for (const char* option : {"partition", "time", "mem"})
            if (args.has(option))
                throw args.error(std::string("--") + option + " needs --slurm");
    if (!slurm && request.dryRun)
        throw args.error("--dry-run needs --slurm");
    if (slurm && args.has("jobs"))
        throw args.error("--jobs is for runs on this machine, not with --slurm");
    const std::uint64_t jobs = args.count("jobs", coreCount());
    if (jobs < 1 || jobs > 1024)
        throw args.error("--jobs must be from 1 to 1024");
    request.jobs = static_cast<unsigned>(jobs);
    request.mode = slurm ? Mode::Slurm : gather ? Mode::Gather : Mode::Local;
    request.slurm.jobName = jobName(request.study);
    request.slurm.partition = args.value("partition");
    request.slurm.time = args.value("time");
    request.slurm.memory = args.value("mem");
    request.progress = ::isatty(STDERR_FILENO);
    return [request](CommandContext& context) { return run(context, request); };
}

} // namespace

Command batchCommand() {
    return {"batch",
            "STUDY [--jobs N] [--resume] [--slurm [--partition P] [--time T] [--mem M] "
            "[--dry-run]] [--gather]",
            "run the runs of a study file, here or as a Slurm job array, and gather them",
            HELP + std::to_string(coreCount()) + HELP_OPTIONS,
            {{"jobs"}, {"partition"}, {"time"}, {"mem"}},
            prepare,
            {{"resume"}, {"slurm"}, {"dry-run"}, {"gather"}}};
}

} // namespace tarlo::cli
