#pragma once

#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace tarlo::batch {

// The program file of this process, so that runs start the very same `tarlo`.
std::string currentProgram();

// The full path of a program found on PATH, or nothing.
std::optional<std::string> findOnPath(const std::string& name);

// Starts a program with the arguments (the first being its name) in a process group of its
// own, so that a Ctrl-C on the terminal reaches only the batch, which stops the runs in
// order. Standard input is /dev/null; standard output and error go to `logFd` (or are
// inherited when it is -1). Returns the process id, or -1 with the reason in `error`.
pid_t startProcess(const std::vector<std::string>& argv, int logFd, std::string& error);

// What ended a process, from its wait status: "exit 3", "signal 9".
std::string exitDescription(int waitStatus);

// Runs a program to its end and returns its wait status with what it wrote on standard
// output; nothing when it could not be started.
std::optional<int> runCapturing(const std::vector<std::string>& argv, std::string& output,
                                std::string& error);

} // namespace tarlo::batch
