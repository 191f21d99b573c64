#include "cli/AddDetector.h"

#include "cli/ProjectEdit.h"
#include "detectors/CStatDetector.h"
#include "project/CTarloDoc.h"

#include <algorithm>
#include <climits>
#include <sstream>

namespace tarlo::cli {

namespace {

const char* const HELP = R"(Usage: tarlo add detector PROJECT KIND [options]

Appends a detector to PROJECT and saves it. The detector is made as the desktop's add
command makes it (at 1000 m of direction 1, writing every 60 s, for all vehicles), named
"New Detector No. N" after the number of detectors it makes, and then takes the options
given. Positions are whole metres along direction 1.

Kinds and where they stand:
  flow-density      "Flow & Density"     --position X
  headway           "Headway"            --position X
  composition       "Composition"        --position X
  output-vehicles   "Output Vehicles"    --position X
  macro-segment     "Macro Segment"      --start X --end X
  micro-segment     "Micro Segment"      --start X --end X
  occupancy         "Occupancy"          --start X --end X
  st-density        "S-T Density"        --first X --spacing S --last X
  st-sms            "S-T SMS"            --first X --spacing S --last X
  lane-changes      "Lane Changes"       --bin-width W (m, the length of its bins)

Options:
  --position X          the detector's position
  --start X, --end X    the segment's start and end
  --first X, --last X   the first and last position of the row of positions
  --spacing S           the distance between them, m, above 0
  --bin-width W         the width of the lane-change bins, m, above 0
  --direction D         positive or negative (default positive)
  --interval S          seconds of one output interval (default 60)
  --vehicles FILTER     the vehicles it counts: all ("All Vehicles", the default),
                        trucks ("All Trucks"), cars, small-trucks, large-trucks, cranes,
                        low-loaders or user-defined
  --description TEXT    its name instead of "New Detector No. N"
  -h, --help            show this help
)";

const std::vector<ShortName>& kindNames() {
    static const std::vector<ShortName> names{{"flow-density", DETECTOR_FLOW_DENSITY},
                                              {"headway", DETECTOR_HEADWAY},
                                              {"composition", DETECTOR_COMPOSITION},
                                              {"lane-changes", DETECTOR_LANE_CHANGES},
                                              {"output-vehicles", DETECTOR_OUTPUT},
                                              {"macro-segment", DETECTOR_MACRO_SEGMENT},
                                              {"micro-segment", DETECTOR_MICRO_SEGMENT},
                                              {"st-density", DETECTOR_ST_DENSITY},
                                              {"st-sms", DETECTOR_ST_SMS},
                                              {"occupancy", DETECTOR_OCCUPANCY}};
    return names;
}

// The options that place a detector of each category, in the order of its parameters.
std::vector<std::string> placingOptions(int category) {
    switch (category) {
    case DETECTOR_SEGMENT:
        return {"start", "end"};
    case DETECTOR_ARRAY:
        return {"first", "spacing", "last"};
    case DETECTOR_LANE_CHANGE:
        return {"bin-width"};
    default:
        return {"position"};
    }
}

struct Request {
    std::string path;
    int kind = DETECTOR_FLOW_DENSITY;
    // Parameters A, B and C where given.
    std::optional<int> params[3];
    bool positive = true;
    std::optional<int> interval;
    int vehicles = FILTER_ALL_VEHICLES;
    std::optional<std::string> description;
};

std::string addDetector(CTarloDoc& doc, const Request& request) {
    CStatDetector& detector = doc.addDetector(request.kind);
    if (request.params[0])
        detector.setParamA(*request.params[0]);
    if (request.params[1])
        detector.setParamB(*request.params[1]);
    if (request.params[2])
        detector.setParamC(*request.params[2]);
    detector.setDirPos(request.positive);
    if (request.interval)
        detector.setTimeInterval(*request.interval);
    detector.setDetectorVehicleType(request.vehicles);
    if (request.description)
        detector.setDescription(*request.description);

    std::ostringstream line;
    line << "Added detector " << doc.m_vStatDetectors.size() << ": " << detector.getDescription()
         << " (" << detector.kindLabel(detector.getDetectorName()) << ", "
         << (detector.getDirPos() ? "positive" : "negative") << " direction, "
         << detector.filterLabel(detector.getDetectorVehicleType()) << ", every "
         << detector.getTimeInterval() << " s)";
    return line.str();
}

Runner prepare(const Arguments& args) {
    args.expectPositional({"PROJECT", "KIND"});
    Request request;
    request.path = args.positional()[0];
    request.kind = codeOfName(args, kindNames(), args.positional()[1], "detector kind");

    const std::string kindName = args.positional()[1];
    const std::vector<std::string> placing = placingOptions(detectorCategoryOf(request.kind));
    for (const std::string option :
         {"position", "start", "end", "first", "spacing", "last", "bin-width"}) {
        if (args.has(option) && std::find(placing.begin(), placing.end(), option) == placing.end())
            throw args.error("--" + option + " does not apply to " + kindName +
                             " detectors: they take --" + enumerate(placing, " and --"));
    }
    for (std::size_t i = 0; i < placing.size(); ++i)
        if (args.has(placing[i]))
            request.params[i] = position(args, placing[i], 0);
    for (const std::string option : {"spacing", "bin-width"})
        if (args.has(option) && position(args, option, 0) == 0)
            throw args.error("--" + option + " must be above 0");

    request.positive = positiveDirection(args, true);
    if (args.has("interval")) {
        const std::uint64_t seconds = args.count("interval", 0);
        if (seconds > static_cast<std::uint64_t>(INT_MAX))
            throw args.error("--interval must be at most " + std::to_string(INT_MAX));
        request.interval = static_cast<int>(seconds);
    }
    request.vehicles = codeOption(args, "vehicles", detectorVehicleNames(), request.vehicles);
    request.description = args.value("description");
    return [request](CommandContext& context) {
        return editProject(context, request.path,
                           [&request](CTarloDoc& doc) { return addDetector(doc, request); });
    };
}

} // namespace

Command addDetectorCommand() {
    return {"add detector",
            "PROJECT KIND [--position X | --start X --end X | ...] [options]",
            "add a detector to a project",
            HELP,
            {"position", "start", "end", "first", "spacing", "last", "bin-width", "direction",
             "interval", "vehicles", "description"},
            prepare};
}

} // namespace tarlo::cli
