#include "cli/ProjectEdit.h"

#include "cli/ExitCode.h"
#include "cli/ProjectFiles.h"
#include "platform/ConsoleHost.h"
#include "project/CTarloDoc.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <optional>
#include <ostream>

namespace tarlo::cli {

namespace {

std::optional<double> parseNumber(std::string_view text) {
    double result = 0.0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, result);
    if (text.empty() || ec != std::errc() || ptr != end || !std::isfinite(result))
        return std::nullopt;
    return result;
}

} // namespace

int editProject(CommandContext& context, const std::string& path, const ProjectEdit& edit) {
    // "File loaded" and "File saved" would only bury the line that says what changed.
    ConsoleHost quiet(ConsoleHost::Options{.quiet = true}, context.out, context.err);
    CTarloDoc doc(context.settings, quiet);
    if (!openProject(doc, path, context.err))
        return EXIT_FILE_ERROR;
    const std::optional<std::string> changed = edit(doc);
    if (!changed || !doc.save(path))
        return EXIT_FILE_ERROR;
    context.out << *changed << '\n';
    return EXIT_OK;
}

int codeOfName(const Arguments& args, const std::vector<ShortName>& names, const std::string& text,
               const std::string& what) {
    std::vector<std::string> known;
    for (const ShortName& entry : names) {
        if (entry.name == text)
            return entry.code;
        known.emplace_back(entry.name);
    }
    throw args.error("unknown " + what + " '" + text + "': use " + enumerate(known, " or "));
}

int codeOption(const Arguments& args, const std::string& option,
               const std::vector<ShortName>& names, int fallback) {
    const std::optional<std::string> text = args.value(option);
    return text ? codeOfName(args, names, *text, "--" + option + " value") : fallback;
}

const std::vector<ShortName>& featureVehicleNames() {
    static const std::vector<ShortName> names{
        {"all", 100},          {"trucks", 101}, {"cars", 102},        {"small-trucks", 103},
        {"large-trucks", 104}, {"cranes", 105}, {"low-loaders", 106}, {"user-defined", 107}};
    return names;
}

const std::vector<ShortName>& detectorVehicleNames() {
    static const std::vector<ShortName> names{
        {"all", 500},          {"trucks", 501}, {"cars", 502},        {"small-trucks", 503},
        {"large-trucks", 504}, {"cranes", 505}, {"low-loaders", 506}, {"user-defined", 507}};
    return names;
}

double signedNumber(const Arguments& args, const std::string& option, double fallback) {
    const std::optional<std::string> text = args.value(option);
    if (!text)
        return fallback;
    const std::optional<double> number = parseNumber(*text);
    if (!number)
        throw args.error("--" + option + " must be a number, not '" + *text + "'");
    return *number;
}

int position(const Arguments& args, const std::string& option, int fallback) {
    if (!args.has(option))
        return fallback;
    const std::uint64_t metres = args.count(option, 0);
    if (metres > static_cast<std::uint64_t>(INT_MAX))
        throw args.error("--" + option + " must be at most " + std::to_string(INT_MAX));
    return static_cast<int>(metres);
}

bool positiveDirection(const Arguments& args, bool fallback) {
    const std::optional<std::string> text = args.value("direction");
    if (!text)
        return fallback;
    if (*text == "positive")
        return true;
    if (*text == "negative")
        return false;
    throw args.error("--direction must be positive or negative, not '" + *text + "'");
}

std::vector<double> numberList(const Arguments& args, const std::string& option) {
    const std::string text = args.required(option);
    std::vector<double> numbers;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        const std::string item = text.substr(start, comma - start);
        const std::optional<double> number = parseNumber(item);
        if (!number)
            throw args.error("--" + option + " must be numbers separated by commas: '" + item +
                             "' in '" + text + "' is no number");
        numbers.push_back(*number);
        if (comma == std::string::npos)
            return numbers;
        start = comma + 1;
    }
}

} // namespace tarlo::cli
