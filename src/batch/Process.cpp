#include "batch/Process.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace tarlo::batch {

namespace {

// posix_spawn wants mutable C strings that end in a null pointer.
std::vector<char*> cArguments(const std::vector<std::string>& argv) {
    std::vector<char*> pointers;
    for (const std::string& argument : argv)
        pointers.push_back(const_cast<char*>(argument.c_str()));
    pointers.push_back(nullptr);
    return pointers;
}

// Spawns with stdin from /dev/null and stdout and stderr on the descriptors given (kept
// when -1).
pid_t spawn(const std::vector<std::string>& argv, int outFd, int errFd, bool ownGroup,
            std::string& error) {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (outFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, outFd, STDOUT_FILENO);
    if (errFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, errFd, STDERR_FILENO);
    if (ownGroup) {
        posix_spawnattr_setpgroup(&attributes, 0);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    }
    std::vector<char*> arguments = cArguments(argv);
    pid_t pid = -1;
    const int failure =
        ::posix_spawn(&pid, argv[0].c_str(), &actions, &attributes, arguments.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (failure != 0) {
        error = "cannot start " + argv[0] + ": " + std::strerror(failure);
        return -1;
    }
    return pid;
}

} // namespace

std::string currentProgram() {
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, static_cast<std::size_t>(length)) : "tarlo";
}

std::optional<std::string> findOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    if (!path)
        return std::nullopt;
    const std::string folders = path;
    std::size_t start = 0;
    while (start <= folders.size()) {
        std::size_t colon = folders.find(':', start);
        if (colon == std::string::npos)
            colon = folders.size();
        const std::string folder = folders.substr(start, colon - start);
        const std::string candidate = (folder.empty() ? "." : folder) + "/" + name;
        struct stat status {};
        if (::stat(candidate.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
            ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = colon + 1;
    }
    return std::nullopt;
}

pid_t startProcess(const std::vector<std::string>& argv, int logFd, std::string& error) {
    return spawn(argv, logFd, logFd, true, error);
}

std::string exitDescription(int waitStatus) {
    if (WIFEXITED(waitStatus))
        return "exit " + std::to_string(WEXITSTATUS(waitStatus));
    if (WIFSIGNALED(waitStatus))
        return "signal " + std::to_string(WTERMSIG(waitStatus));
    return "status " + std::to_string(waitStatus);
}

std::optional<int> runCapturing(const std::vector<std::string>& argv, std::string& output,
                                std::string& error) {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        error = std::string("cannot make a pipe: ") + std::strerror(errno);
        return std::nullopt;
    }
    const pid_t pid = spawn(argv, pipeFds[1], -1, false, error);
    ::close(pipeFds[1]);
    if (pid < 0) {
        ::close(pipeFds[0]);
        return std::nullopt;
    }
    char buffer[4096];
    for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) != 0;) {
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            break;
        output.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(pipeFds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

} // namespace tarlo::batch
