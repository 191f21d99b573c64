#include "cli/RunInterrupt.h"

#include "cli/ExitCode.h"

#include <atomic>
#include <unistd.h>

namespace tarlo::cli {

namespace {

// A signal handler reaches nothing but what is global; this count is all it touches, and
// a lock-free atomic is safe to change in a handler.
std::atomic<int> signalsReceived{0};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void onSignal(int) {
    if (signalsReceived.fetch_add(1) > 0)
        ::_exit(EXIT_INTERRUPTED);
}

} // namespace

RunInterrupt::RunInterrupt() {
    signalsReceived = 0;
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    // Reads and writes of the run's files go on where the signal found them.
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, &m_PreviousInt);
    sigaction(SIGTERM, &action, &m_PreviousTerm);
}

RunInterrupt::~RunInterrupt() {
    sigaction(SIGINT, &m_PreviousInt, nullptr);
    sigaction(SIGTERM, &m_PreviousTerm, nullptr);
}

bool RunInterrupt::requested() const {
    return signalsReceived > 0;
}

} // namespace tarlo::cli
