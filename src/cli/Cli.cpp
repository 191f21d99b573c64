#include "cli/Cli.h"

#include "cli/AddBridge.h"
#include "cli/AddDetector.h"
#include "cli/AddFeature.h"
#include "cli/Batch.h"
#include "cli/BatchTask.h"
#include "cli/ExitCode.h"
#include "cli/ImportIL.h"
#include "cli/OutOfMemory.h"
#include "cli/ProjectNew.h"
#include "cli/ProjectRun.h"
#include "cli/ProjectUpgrade.h"
#include "cli/ProjectValidate.h"
#include "cli/TrafficConvert.h"
#include "cli/TrafficGenerate.h"
#include "cli/TrafficInfo.h"
#include "platform/ConsoleHost.h"
#include "project/settings/CSettings.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <ostream>

namespace tarlo::cli {

namespace {

const std::vector<Command>& commands() {
    static const std::vector<Command> all{
        trafficInfoCommand(),     trafficConvertCommand(), trafficGenerateCommand(),
        projectNewCommand(),      addFeatureCommand(),     addDetectorCommand(),
        addBridgeCommand(),       addLoadEffectCommand(),  importILCommand(),
        projectValidateCommand(), projectRunCommand(),     projectUpgradeCommand(),
        batchCommand(),           batchTaskCommand()};
    return all;
}

std::vector<std::string> words(const std::string& name) {
    std::vector<std::string> result;
    std::size_t start = 0;
    for (std::size_t space; (space = name.find(' ', start)) != std::string::npos; start = space + 1)
        result.push_back(name.substr(start, space - start));
    result.push_back(name.substr(start));
    return result;
}

bool startsWith(const std::vector<std::string>& tokens, const std::vector<std::string>& prefix) {
    return tokens.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), tokens.begin());
}

void printOverview(std::ostream& out) {
    out << "Usage: tarlo [--settings FILE] COMMAND [ARGUMENTS]\n\n"
           "Tarlo simulates highway traffic and the load effects it produces on bridges.\n\n"
           "Commands:\n";
    for (const Command& command : commands())
        out << "  " << command.name << ' ' << command.synopsis << "\n      " << command.summary
            << '\n';
    out << "  help [COMMAND]\n      show the help of a command\n\n"
           "Options for every command:\n"
           "  --settings FILE   program settings to use; without it the user's settings\n"
           "                    file is used when there is one, else the defaults\n"
           "  -h, --help        show help\n\n"
           "Exit codes: 0 success, 1 validation or run set-up failure, 2 usage error,\n"
           "3 a file cannot be read or written, or memory ran out (\"tarlo: out of memory\n"
           "while ...\"), 4 a run completed but some of its output could not be written,\n"
           "5 some runs of a batch failed, 130 a run was interrupted.\n";
}

// The commands whose names begin with the given words ("traffic").
std::vector<const Command*> group(const std::vector<std::string>& prefix) {
    std::vector<const Command*> found;
    for (const Command& command : commands())
        if (startsWith(words(command.name), prefix))
            found.push_back(&command);
    return found;
}

void printGroup(std::ostream& out, const std::string& name,
                const std::vector<const Command*>& members) {
    out << "Usage: tarlo " << name << " COMMAND [ARGUMENTS]\n\nCommands:\n";
    for (const Command* command : members)
        out << "  " << command->name << ' ' << command->synopsis << "\n      " << command->summary
            << '\n';
    out << "\nRun 'tarlo " << name << " COMMAND --help' for the options of a command.\n";
}

// The word at `index` of each command's name: "info, convert or generate".
std::string commandList(const std::vector<const Command*>& members, std::size_t index) {
    std::vector<std::string> names;
    for (const Command* command : members)
        names.push_back(words(command->name)[index]);
    return enumerate(names, " or ");
}

// The command named by the first tokens; a usage error when there is none.
const Command& findCommand(const std::vector<std::string>& tokens) {
    for (const Command& command : commands())
        if (startsWith(tokens, words(command.name)))
            return command;
    const auto members = group({tokens[0]});
    if (members.empty())
        throw UsageError("unknown command '" + tokens[0] + "'");
    if (tokens.size() < 2 || tokens[1].starts_with("-"))
        throw UsageError("'" + tokens[0] + "' needs a command: " + commandList(members, 1),
                         tokens[0]);
    throw UsageError("unknown " + tokens[0] + " command '" + tokens[1] + "'", tokens[0]);
}

// Prints the help for the named words: the program, a group or a command.
void printHelp(std::ostream& out, const std::vector<std::string>& topic) {
    if (topic.empty()) {
        printOverview(out);
        return;
    }
    for (const Command& command : commands()) {
        if (words(command.name) == topic) {
            out << command.help;
            return;
        }
    }
    std::string name;
    for (const std::string& word : topic)
        name += (name.empty() ? "" : " ") + word;
    const auto members = group(topic);
    if (members.empty())
        throw UsageError("no help for unknown command '" + name + "'");
    printGroup(out, name, members);
}

// Takes "--settings FILE" out of the arguments, wherever it stands before "--".
std::optional<std::string> takeSettingsOption(std::vector<std::string>& tokens) {
    std::optional<std::string> path;
    for (std::size_t i = 0; i < tokens.size() && tokens[i] != "--";) {
        std::optional<std::string> value;
        if (tokens[i] == "--settings") {
            if (i + 1 >= tokens.size())
                throw UsageError("option --settings needs a value");
            value = tokens[i + 1];
            tokens.erase(tokens.begin() + i, tokens.begin() + i + 2);
        } else if (tokens[i].starts_with("--settings=")) {
            value = tokens[i].substr(std::string("--settings=").size());
            tokens.erase(tokens.begin() + i);
        } else {
            ++i;
            continue;
        }
        if (path)
            throw UsageError("option --settings given twice");
        if (value->empty())
            throw UsageError("option --settings needs a file name");
        path = value;
    }
    return path;
}

// The settings named on the command line must load; the user's own file is used when it
// exists, and a fresh machine simply runs on the defaults. The command line never saves.
bool loadSettings(const std::optional<std::string>& path, CSettings& settings, Host& host,
                  std::ostream& err) {
    if (path) {
        if (settings.load(*path, host, CSettings::LoadFailure::KeepValues))
            return true;
        err << "tarlo: cannot load settings " << *path << '\n';
        return false;
    }
    const std::string userFile = CSettings::defaultSettingsPath();
    std::error_code ec;
    if (!userFile.empty() && std::filesystem::is_regular_file(userFile, ec))
        settings.load(userFile, host); // a broken user file falls back to the defaults
    return true;
}

// The runs a batch starts load the same settings from wherever they are started.
std::optional<std::string> absoluteSettingsPath(const std::optional<std::string>& path) {
    if (!path)
        return std::nullopt;
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(*path, ec);
    return ec ? *path : absolute.string();
}

} // namespace

int runCommandLine(const std::vector<std::string>& arguments, std::ostream& out,
                   std::ostream& err) {
    std::vector<std::string> tokens = arguments;
    // What the command is doing, for a failure to allocate that no stage has named.
    std::string activity = "reading the command line";
    try {
        const std::optional<std::string> settingsPath = takeSettingsOption(tokens);
        if (tokens.empty()) {
            err << "tarlo: missing command\n";
            printOverview(err);
            return EXIT_USAGE;
        }
        if (tokens[0] == "--help" || tokens[0] == "-h") {
            printOverview(out);
            return EXIT_OK;
        }
        if (tokens[0] == "help") {
            printHelp(out, {tokens.begin() + 1, tokens.end()});
            return EXIT_OK;
        }
        if (group({tokens[0]}).size() > 0 && asksForHelp(tokens) &&
            (tokens.size() < 2 || tokens[1].starts_with("-"))) {
            printHelp(out, {tokens[0]});
            return EXIT_OK;
        }
        const Command& command = findCommand(tokens);
        activity = "running 'tarlo " + command.name + "'";
        const std::vector<std::string> rest(tokens.begin() + words(command.name).size(),
                                            tokens.end());
        if (asksForHelp(rest)) {
            out << command.help;
            return EXIT_OK;
        }
        const Runner runner =
            command.prepare(Arguments(rest, command.options, command.name, command.flags));

        ConsoleHost host(ConsoleHost::Options{}, out, err);
        CSettings settings;
        if (!loadSettings(settingsPath, settings, host, err))
            return EXIT_FILE_ERROR;
        CommandContext context{settings, host, out, err, absoluteSettingsPath(settingsPath)};
        return runner(context);
    } catch (const UsageError& error) {
        err << "tarlo: " << error.what() << '\n'
            << "Try 'tarlo " << (error.command().empty() ? "" : error.command() + " ")
            << "--help'.\n";
        return EXIT_USAGE;
    } catch (const OutOfMemory& error) {
        err << "tarlo: out of memory while " << error.activity() << '\n';
        return EXIT_OUT_OF_MEMORY;
    } catch (const std::bad_alloc&) {
        err << "tarlo: out of memory while " << activity << '\n';
        return EXIT_OUT_OF_MEMORY;
    }
}

} // namespace tarlo::cli
