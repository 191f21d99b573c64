#pragma once

namespace tarlo::cli {

// What the `tarlo` command returns to the shell.
enum ExitCode : int {
    EXIT_OK = 0,
    EXIT_FAILED = 1,        // validation or run set-up failed
    EXIT_USAGE = 2,         // the command line is wrong
    EXIT_FILE_ERROR = 3,    // a file cannot be read or written
    EXIT_OUT_OF_MEMORY = 3, // memory ran out (the code of the file errors)
    EXIT_INCOMPLETE = 4,    // a run completed, but some of its output could not be written
    EXIT_RUNS_FAILED = 5,   // a batch ended, but some of its runs failed or did not run
    EXIT_INTERRUPTED = 130  // a run was interrupted (SIGINT or SIGTERM)
};

} // namespace tarlo::cli
