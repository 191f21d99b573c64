#pragma once

#include <csignal>

namespace tarlo::cli {

// While it lives, SIGINT and SIGTERM ask the run to stop instead of ending the program: the
// first signal is only noted, for the command's wait loop to see and stop the run the way
// the Stop command does, so that every writer writes what it holds and closes its file. A
// second signal ends the program at once. The handlers are put back when it goes.
class RunInterrupt {
public:
    RunInterrupt();
    ~RunInterrupt();
    RunInterrupt(const RunInterrupt&) = delete;
    RunInterrupt& operator=(const RunInterrupt&) = delete;

    // A signal has come since construction.
    bool requested() const;

private:
    struct sigaction m_PreviousInt;
    struct sigaction m_PreviousTerm;
};

} // namespace tarlo::cli
