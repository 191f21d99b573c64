#include "cli/RunInterrupt.h"

#include "cli/ExitCode.h"

#include <atomic>
#include <fcntl.h>
#include <unistd.h>

namespace tarlo::cli {

namespace {

// A signal handler reaches nothing but what is global; the count and the pipe's write end
// are all it touches, and a lock-free atomic and write() are safe to use in a handler.
std::atomic<int> signalsReceived{0};
std::atomic<int> signalPipe{-1};
static_assert(std::atomic<int>::is_always_lock_free);

constexpr char SIGNALLED = 's';
constexpr char CLOSING = 'q';

extern "C" void onSignal(int) {
    if (signalsReceived.fetch_add(1) > 0)
        ::_exit(EXIT_INTERRUPTED);
    // Wakes the watcher; nothing is to be done should the write fail.
    if (const int pipe = signalPipe; pipe >= 0) {
        [[maybe_unused]] const auto written = ::write(pipe, &SIGNALLED, 1);
    }
}

} // namespace

RunInterrupt::RunInterrupt(std::function<void()> wake) : m_Wake(std::move(wake)) {
    signalsReceived = 0;
    if (::pipe2(m_Pipe, O_CLOEXEC) == 0) {
        signalPipe = m_Pipe[1];
        m_Watcher = std::thread(&RunInterrupt::watch, this);
    }
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
    if (m_Watcher.joinable()) {
        signalPipe = -1;
        [[maybe_unused]] const auto written = ::write(m_Pipe[1], &CLOSING, 1);
        m_Watcher.join();
        ::close(m_Pipe[0]);
        ::close(m_Pipe[1]);
    }
}

bool RunInterrupt::requested() const {
    return signalsReceived > 0;
}

void RunInterrupt::watch() {
    char byte = 0;
    while (::read(m_Pipe[0], &byte, 1) == 1 && byte == SIGNALLED)
        if (m_Wake)
            m_Wake();
}

} // namespace tarlo::cli
