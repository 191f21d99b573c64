#pragma once

#include <csignal>
#include <functional>
#include <thread>

namespace tarlo::cli {

// While it lives, SIGINT and SIGTERM ask the run to stop instead of ending the program: the
// first signal is only noted, for the command's wait to see and stop the run the way the
// Stop command does, so that every writer writes what it holds and closes its file. A
// second signal ends the program at once. The handlers are put back when it goes.
class RunInterrupt {
public:
    // `wake` is called once, on a thread of the interrupt's own, when the first signal
    // comes: the command's wait sleeps until something happens, and this is how a signal
    // reaches it.
    explicit RunInterrupt(std::function<void()> wake = {});
    ~RunInterrupt();
    RunInterrupt(const RunInterrupt&) = delete;
    RunInterrupt& operator=(const RunInterrupt&) = delete;

    // A signal has come since construction.
    bool requested() const;

private:
    void watch();

    struct sigaction m_PreviousInt;
    struct sigaction m_PreviousTerm;
    std::function<void()> m_Wake;
    // The handler writes to the pipe; the watcher reads it.
    int m_Pipe[2] = {-1, -1};
    std::thread m_Watcher;
};

} // namespace tarlo::cli
