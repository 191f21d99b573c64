#pragma once

#include "cli/Command.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarlo {
class CTarloDoc;
} // namespace tarlo

namespace tarlo::cli {

// A short command-line name for a coded value: "speed-limit" for 400.
struct ShortName {
    std::string_view name;
    int code;
};

// Changes the project and answers the one line that says what was changed, or nothing when
// a file the change needs cannot be read (having said why). A UsageError thrown by the
// change, like a file that cannot be read, leaves the project file as it was.
using ProjectEdit = std::function<std::optional<std::string>(CTarloDoc& doc)>;

// Opens the project, applies the change and saves it through the document (a failed save
// leaves the file whole), then prints the line. The document's own log lines are not shown.
int editProject(CommandContext& context, const std::string& path, const ProjectEdit& edit);

// The code of a short name; a usage error listing the names otherwise. `what` names the
// value in the message ("feature type").
int codeOfName(const Arguments& args, const std::vector<ShortName>& names, const std::string& text,
               const std::string& what);
// The option's short name as a code, or `fallback` when the option is not given.
int codeOption(const Arguments& args, const std::string& option,
               const std::vector<ShortName>& names, int fallback);

// The road-feature and detector vehicle filters by short name ("all", "trucks", "cars", ...).
const std::vector<ShortName>& featureVehicleNames();
const std::vector<ShortName>& detectorVehicleNames();

// A finite number of any sign.
double signedNumber(const Arguments& args, const std::string& option, double fallback);
// A whole number of metres (0 or more) that an int position holds.
int position(const Arguments& args, const std::string& option, int fallback);
// "--direction positive|negative"; `fallback` when not given.
bool positiveDirection(const Arguments& args, bool fallback);
// A comma-separated list of numbers of any sign, e.g. "1.0,0.8,0.6".
std::vector<double> numberList(const Arguments& args, const std::string& option);

} // namespace tarlo::cli
