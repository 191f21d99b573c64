#include "batch/LocalBatch.h"

#include "batch/Process.h"
#include "batch/RunFolder.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace tarlo::batch {

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// How often the running processes are looked at between their ends.
constexpr auto POLL_PERIOD = 100ms;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

struct RunningRun {
    const RunSpec* run;
    Clock::time_point start;
};

} // namespace

std::vector<std::string> RunProgram::commandLine(const RunSpec& run) const {
    std::vector<std::string> argv{program};
    if (settings) {
        argv.push_back("--settings");
        argv.push_back(*settings);
    }
    argv.insert(argv.end(), {"run", run.project, "--seed", std::to_string(run.seed), "--metrics",
                             run.folder, "--results", run.folder + RUN_RESULTS, "--quiet"});
    if (!run.traffic.empty()) {
        argv.push_back("--traffic");
        argv.push_back(run.traffic);
    }
    return argv;
}

LocalBatch::Outcome LocalBatch::run(const std::vector<RunSpec>& runs,
                                    const StopRequest& stopRequested, const Observer& observer,
                                    const FailureReport& reportFailure) const {
    Outcome outcome;
    BatchProgress& progress = outcome.progress;
    progress.total = runs.size();
    progress.jobs = m_Options.jobs;
    std::map<pid_t, RunningRun> running;
    std::size_t next = 0;

    const auto refresh = [&] {
        progress.running = running.size();
        progress.runningSeconds = 0.0;
        for (const auto& [pid, entry] : running)
            progress.runningSeconds += secondsSince(entry.start);
        observer(progress);
    };
    const auto start = [&](const RunSpec& run) {
        std::string error;
        if (!prepareRunFolder(run, error)) {
            ++progress.failed;
            reportFailure(run, error);
            return;
        }
        const std::string log = run.folder + RUN_LOG;
        const int logFd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (logFd < 0) {
            ++progress.failed;
            reportFailure(run, "cannot write " + log + ": " + std::strerror(errno));
            return;
        }
        const pid_t pid = startProcess(m_Options.program.commandLine(run), logFd, error);
        ::close(logFd);
        if (pid < 0) {
            ++progress.failed;
            reportFailure(run, error);
            return;
        }
        running.emplace(pid, RunningRun{&run, Clock::now()});
    };
    const auto finish = [&](pid_t pid, int status) {
        const auto found = running.find(pid);
        if (found == running.end())
            return;
        const RunSpec& run = *found->second.run;
        progress.finishedSeconds += secondsSince(found->second.start);
        running.erase(found);
        recordRunEnd(run, status);
        if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
            ++progress.completed;
        } else {
            ++progress.failed;
            reportFailure(run, exitDescription(status) + ", see " + run.folder + RUN_LOG);
        }
    };

    while (next < runs.size() || !running.empty()) {
        if (!outcome.stopped && stopRequested()) {
            outcome.stopped = true;
            for (const auto& [pid, entry] : running)
                ::kill(pid, SIGTERM);
        }
        bool changed = false;
        while (!outcome.stopped && next < runs.size() && running.size() < m_Options.jobs) {
            const RunSpec& run = runs[next++];
            if (m_Options.resume && runComplete(run))
                ++progress.skipped;
            else
                start(run);
            changed = true;
        }
        if (outcome.stopped && running.empty())
            break;
        int status = 0;
        const pid_t ended = running.empty() ? 0 : ::waitpid(-1, &status, WNOHANG);
        if (ended > 0) {
            finish(ended, status);
            changed = true;
        } else if (!changed) {
            std::this_thread::sleep_for(POLL_PERIOD);
        }
        refresh();
    }
    return outcome;
}

} // namespace tarlo::batch
