#pragma once

#include "cli/Arguments.h"

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace tarlo {
class CSettings;
class ConsoleHost;
} // namespace tarlo

namespace tarlo::cli {

// What a command works with once its arguments have been accepted.
struct CommandContext {
    const CSettings& settings;
    ConsoleHost& host;
    std::ostream& out;
    std::ostream& err;
    // The settings file named with --settings, absolute, for the processes a command starts.
    std::optional<std::string> settingsPath;
};

// A command whose arguments have been checked, ready to run; returns the exit code.
using Runner = std::function<int(CommandContext&)>;

struct Command {
    std::string name;                 // the words that select it, e.g. "traffic info"
    std::string synopsis;             // one line of usage after the name
    std::string summary;              // what it does, in a few words
    std::string help;                 // the full text of --help
    std::vector<std::string> options; // names of the options, each taking a value
    // Checks the arguments (throwing UsageError) before any settings or file is touched.
    Runner (*prepare)(const Arguments& args);
    std::vector<std::string> flags = {}; // names of the options without a value
};

} // namespace tarlo::cli
