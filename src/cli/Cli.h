#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace tarlo::cli {

// Runs the `tarlo` command line (the arguments after the program name) and returns the
// exit code: 0 success, 1 validation or run set-up failure, 2 usage error, 3 a file that
// cannot be read or written.
int runCommandLine(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

} // namespace tarlo::cli
