#include "cli/AddFeature.h"

#include "cli/ProjectEdit.h"
#include "project/CTarloDoc.h"

#include <sstream>

namespace tarlo::cli {

namespace {

const char* const HELP = R"(Usage: tarlo add feature PROJECT TYPE [options]

Appends a road feature to PROJECT and saves it. The feature is made as the desktop's add
command makes it, named "New Feature No. N" after the number of features it makes, and
then takes the options given.

Types and the value each starts with:
  speed-limit       "Speed Limit", km/h (80)
  gradient          "Gradient", per cent (10)
  obstacle          "Obstacle", the lane it closes, counted from the inside lane (1)
  politeness        "Politeness" (0.5)
  bias              "Bias", m/s2 (0.5)
  lane-change-ban   "Lane Change Ban" (1)
  gap-control       "Gap Control", m (50)

Options:
  --start X             where it begins, whole metres along direction 1 (default 0)
  --end X               where it ends (default 1000)
  --value V             the value of the type, in its unit
  --direction D         positive or negative (default positive)
  --vehicles FILTER     the vehicles it applies to: all ("All Vehicles", the default),
                        trucks ("All Trucks"), cars, small-trucks, large-trucks, cranes,
                        low-loaders or user-defined
  --adherence A         share of drivers that obey it, 0 to 1 (default 1)
  --description TEXT    its name instead of "New Feature No. N"
  -h, --help            show this help
)";

const std::vector<ShortName>& typeNames() {
    static const std::vector<ShortName> names{{"speed-limit", CRoadFeature::SpeedLimit},
                                              {"gradient", CRoadFeature::Gradient},
                                              {"obstacle", CRoadFeature::Obstacle},
                                              {"politeness", CRoadFeature::Politeness},
                                              {"bias", CRoadFeature::Bias},
                                              {"lane-change-ban", CRoadFeature::LaneChangeBan},
                                              {"gap-control", CRoadFeature::GapControl}};
    return names;
}

struct Request {
    std::string path;
    int type = CRoadFeature::SpeedLimit;
    std::optional<double> value;
    std::optional<int> start;
    std::optional<int> end;
    bool positive = true;
    int vehicles = CRoadFeature::AllVehicles;
    double adherence = 1.0;
    std::optional<std::string> description;
};

std::string addFeature(CTarloDoc& doc, const Request& request) {
    CRoadFeature& feature = doc.addRoadFeature(request.type);
    if (request.value)
        feature.setValue(*request.value);
    if (request.start)
        feature.setStart(*request.start);
    if (request.end)
        feature.setEnd(*request.end);
    feature.setDirPos(request.positive);
    feature.setFeatVehType(request.vehicles);
    feature.setAdherence(request.adherence);
    if (request.description)
        feature.setDescription(*request.description);

    std::ostringstream line;
    line << "Added road feature " << doc.m_vRoadFeatures.size() << ": " << feature.getDescription()
         << " (" << feature.typeLabel(feature.getType()) << ' ' << feature.getValue() << ", "
         << feature.getStart() << " to " << feature.getEnd() << " m, "
         << (feature.getDirPos() ? "positive" : "negative") << " direction)";
    return line.str();
}

Runner prepare(const Arguments& args) {
    args.expectPositional({"PROJECT", "TYPE"});
    Request request;
    request.path = args.positional()[0];
    request.type = codeOfName(args, typeNames(), args.positional()[1], "feature type");
    if (args.has("value"))
        request.value = signedNumber(args, "value", 0.0);
    if (args.has("start"))
        request.start = position(args, "start", 0);
    if (args.has("end"))
        request.end = position(args, "end", 0);
    request.positive = positiveDirection(args, true);
    request.vehicles = codeOption(args, "vehicles", featureVehicleNames(), request.vehicles);
    request.adherence = args.number("adherence", request.adherence);
    if (request.adherence > 1.0)
        throw args.error("--adherence must be between 0 and 1");
    request.description = args.value("description");
    return [request](CommandContext& context) {
        return editProject(context, request.path,
                           [&request](CTarloDoc& doc) { return addFeature(doc, request); });
    };
}

} // namespace

Command addFeatureCommand() {
    return {"add feature",
            "PROJECT TYPE [--start X] [--end X] [--value V] [--direction D] [options]",
            "add a road feature to a project",
            HELP,
            {"start", "end", "value", "direction", "vehicles", "adherence", "description"},
            prepare};
}

} // namespace tarlo::cli
