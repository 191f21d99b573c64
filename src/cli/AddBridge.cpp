#include "cli/AddBridge.h"

#include "bridges/CInfLineFunction.h"
#include "cli/ProjectEdit.h"
#include "project/CTarloDoc.h"
#include "project/Limits.h"

#include <climits>
#include <sstream>

namespace tarlo::cli {

namespace {

const char* const BRIDGE_HELP = R"(Usage: tarlo add bridge PROJECT --start X --end X [options]

Appends a bridge to PROJECT and saves it. The bridge is made as the desktop's add command
makes it: numbered one past the highest bridge number, named "New Bridge No. N" after the
number of bridges it makes, on the project's road and lanes, with one load effect that
weighs every lane 1.0. The load-effect options below shape that first load effect; add
more with 'tarlo add load-effect'. Positions are metres along direction 1.

Bridge options:
  --start X               where the bridge begins
  --end X                 where it ends
  --sub-steps N           load-effect calculations per simulation step (default 1)
  --description TEXT      its name instead of "New Bridge No. N"

Outputs (none is selected unless asked for):
  --time-history          every calculated value ("Time history")
  --block-max SECONDS     the largest value of each block of that length ("Block Maximum")
  --block-min SECONDS     the smallest value of each block ("Block Minimum")
  --basic-stats           count, extremes, mean, variance, skewness ("Basic")
  --histogram             a histogram of 50 bins ("Histogram")
  Values over and under thresholds are selected by the thresholds of the load effects.

First load effect:
  --function FORM         its built-in influence line, stretched over the bridge
                          (default total-load); the forms are listed by
                          'tarlo add load-effect --help'
  --discrete NAME         the project's discrete influence line of that description, or
                          of that number
  --lane-weights W,...    one weight per road lane, counted as the road numbers its lanes
                          (default 1.0 each)
  --threshold-over T      write the values above T ("Peaks Over Thresholds")
  --threshold-under T     write the values below T ("Peaks Under Thresholds")
  --effect-description TEXT  its name instead of "Load Effect"
  -h, --help              show this help
)";

const char* const LOAD_EFFECT_HELP =
    R"(Usage: tarlo add load-effect PROJECT --bridge ID --function FORM [options]
       tarlo add load-effect PROJECT --bridge ID --discrete NAME [options]

Appends a load effect to the bridge numbered ID of PROJECT and saves it. The load effect
is made as the desktop's add command makes it: named "Load Effect", weighing every road
lane 1.0, with no threshold; its influence line is a built-in one or a discrete one.

Built-in influence lines (stretched over the bridge):
  mid-span-moment        "Mid-span BM, simply-supported beam"
  support-moment         "Central support BM, two-span beam"
  left-shear             "Left hand shear, simply-supported beam"
  right-shear            "Right hand shear, simply-supported beam"
  right-shear-two-span   "Right hand shear, two-span beam"
  left-shear-two-span    "Left hand shear, two-span beam"
  total-load             "Total load on beam"

Options:
  --bridge ID             the number of the bridge
  --function FORM         a built-in influence line
  --discrete NAME         the project's discrete influence line of that description, or
                          of that number (see 'tarlo import-il')
  --lane-weights W,...    one weight per road lane, counted as the road numbers its lanes
                          (default 1.0 each)
  --threshold-over T      write the values above T ("Peaks Over Thresholds")
  --threshold-under T     write the values below T ("Peaks Under Thresholds")
  --description TEXT      its name instead of "Load Effect"
  -h, --help              show this help
)";

const std::vector<ShortName>& formNames() {
    static const std::vector<ShortName> names{
        {"mid-span-moment", CInfLineFunction::MidSpanMomentSimple},
        {"support-moment", CInfLineFunction::SupportMomentTwoSpan},
        {"left-shear", CInfLineFunction::LeftShearSimple},
        {"right-shear", CInfLineFunction::RightShearSimple},
        {"right-shear-two-span", CInfLineFunction::RightShearTwoSpan},
        {"left-shear-two-span", CInfLineFunction::LeftShearTwoSpan},
        {"total-load", CInfLineFunction::TotalLoad}};
    return names;
}

// What shapes one load effect; checked against the project when it is applied.
struct LoadEffectRequest {
    std::string command;
    std::optional<int> form;
    std::optional<std::string> discrete;
    std::optional<std::vector<double>> laneWeights;
    std::optional<double> thresholdOver;
    std::optional<double> thresholdUnder;
    std::optional<std::string> description;
};

LoadEffectRequest loadEffectOptions(const Arguments& args, const std::string& command,
                                    const std::string& descriptionOption) {
    LoadEffectRequest request;
    request.command = command;
    if (args.has("function") && args.has("discrete"))
        throw args.error("give --function or --discrete, not both");
    if (args.has("function"))
        request.form = codeOption(args, "function", formNames(), CInfLineFunction::TotalLoad);
    request.discrete = args.value("discrete");
    if (request.discrete && request.discrete->empty())
        throw args.error("--discrete needs the description or number of an influence line");
    if (args.has("lane-weights"))
        request.laneWeights = numberList(args, "lane-weights");
    if (args.has("threshold-over"))
        request.thresholdOver = signedNumber(args, "threshold-over", 0.0);
    if (args.has("threshold-under"))
        request.thresholdUnder = signedNumber(args, "threshold-under", 0.0);
    request.description = args.value(descriptionOption);
    return request;
}

// The discrete line of that description or, failing that, of that number.
const CInfLineDiscrete* findDiscreteLine(const CTarloDoc& doc, const std::string& name) {
    for (const CInfLineDiscrete& line : doc.m_vInfLines)
        if (line.getDescription() == name)
            return &line;
    for (const CInfLineDiscrete& line : doc.m_vInfLines)
        if (std::to_string(line.GetID()) == name)
            return &line;
    return nullptr;
}

// Shapes the load effect at `index` of the bridge; returns how its line reads.
std::string applyLoadEffect(const CTarloDoc& doc, CBridge& bridge, std::size_t index,
                            const LoadEffectRequest& request) {
    CLoadEffect& effect = *bridge.GetLoadEffects()[index];
    std::string line;
    if (request.discrete) {
        const CInfLineDiscrete* found = findDiscreteLine(doc, *request.discrete);
        if (!found)
            throw UsageError("the project has no discrete influence line '" + *request.discrete +
                                 "' (import one with 'tarlo import-il')",
                             request.command);
        effect.SetInfLine(*found);
        line = "discrete line " + std::to_string(found->GetID()) + ": " + found->getDescription();
    } else {
        // A new load effect's line is built in, so the name chooses its form.
        line = CInfLineFunction::FormName(request.form.value_or(CInfLineFunction::TotalLoad));
        effect.SetILByName(line, {});
    }
    if (request.laneWeights) {
        if (request.laneWeights->size() != static_cast<std::size_t>(bridge.GetNoLanes()))
            throw UsageError("--lane-weights gives " + std::to_string(request.laneWeights->size()) +
                                 " weights; the road has " + std::to_string(bridge.GetNoLanes()) +
                                 " lanes",
                             request.command);
        effect.LaneWeights() = *request.laneWeights;
    }
    if (request.thresholdOver)
        bridge.EventManager().setThreshOver(index, *request.thresholdOver);
    if (request.thresholdUnder)
        bridge.EventManager().setThreshUnder(index, *request.thresholdUnder);
    if (request.description)
        effect.setDescription(*request.description);
    return effect.getDescription() + " (" + line + ")";
}

struct BridgeRequest {
    std::string path;
    double start = 0.0;
    double end = 0.0;
    std::optional<unsigned> subSteps;
    std::optional<std::string> description;
    bool timeHistory = false;
    std::optional<double> blockMax;
    std::optional<double> blockMin;
    bool basicStats = false;
    bool histogram = false;
    LoadEffectRequest firstEffect;
};

// A new load effect holds a weight per road lane: a lane count past its bound is refused
// before any is made, as the validation refuses it.
void expectBoundedLanes(const CTarloDoc& doc, const std::string& command) {
    const int most = 2 * limits::maxLanesPerDirection;
    if (doc.m_NoLanes > most)
        throw UsageError("the project's road has " + std::to_string(doc.m_NoLanes) +
                             " lanes, more than the " + std::to_string(most) +
                             " a load effect may weigh (see 'tarlo validate')",
                         command);
}

std::string addBridge(CTarloDoc& doc, const BridgeRequest& request) {
    expectBoundedLanes(doc, "add bridge");
    CBridge& bridge = doc.addBridge();
    bridge.SetStart(request.start);
    bridge.SetEnd(request.end);
    for (const auto& effect : bridge.GetLoadEffects())
        effect->SetBridgeExtent(request.start, request.end);
    if (request.subSteps)
        bridge.SetStepsPerSimStep(*request.subSteps);
    if (request.description)
        bridge.setDescription(*request.description);
    CEventManager& outputs = bridge.EventManager();
    outputs.setAll(request.timeHistory);
    if (request.blockMax)
        outputs.setBlockMaxSize(*request.blockMax);
    if (request.blockMin)
        outputs.setBlockMinSize(*request.blockMin);
    outputs.setStatsBasic(request.basicStats);
    outputs.setStatsHist(request.histogram);
    const std::string effect = applyLoadEffect(doc, bridge, 0, request.firstEffect);

    std::ostringstream line;
    line << "Added bridge " << bridge.GetID() << ": " << bridge.getDescription() << " ("
         << bridge.GetStart() << " to " << bridge.GetEnd() << " m; load effect 1: " << effect
         << ')';
    return line.str();
}

Runner prepareBridge(const Arguments& args) {
    args.expectPositional({"PROJECT"});
    BridgeRequest request;
    request.path = args.positional()[0];
    request.start = args.number("start", 0.0);
    request.end = args.number("end", 0.0);
    if (!args.has("start") || !args.has("end"))
        throw args.error("a bridge needs --start and --end");
    if (args.has("sub-steps")) {
        const std::uint64_t steps = args.count("sub-steps", 1);
        if (steps > static_cast<std::uint64_t>(UINT_MAX))
            throw args.error("--sub-steps must be at most " + std::to_string(UINT_MAX));
        request.subSteps = static_cast<unsigned>(steps);
    }
    request.description = args.value("description");
    request.timeHistory = args.flag("time-history");
    if (args.has("block-max"))
        request.blockMax = args.number("block-max", 0.0);
    if (args.has("block-min"))
        request.blockMin = args.number("block-min", 0.0);
    request.basicStats = args.flag("basic-stats");
    request.histogram = args.flag("histogram");
    request.firstEffect = loadEffectOptions(args, "add bridge", "effect-description");
    return [request](CommandContext& context) {
        return editProject(context, request.path,
                           [&request](CTarloDoc& doc) { return addBridge(doc, request); });
    };
}

struct LoadEffectCommandRequest {
    std::string path;
    int bridgeID = 0;
    LoadEffectRequest effect;
};

std::string addLoadEffect(CTarloDoc& doc, const LoadEffectCommandRequest& request) {
    const auto bridge =
        std::find_if(doc.m_vBridges.begin(), doc.m_vBridges.end(),
                     [&request](const CBridge& b) { return b.GetID() == request.bridgeID; });
    if (bridge == doc.m_vBridges.end())
        throw UsageError("the project has no bridge numbered " + std::to_string(request.bridgeID),
                         "add load-effect");
    expectBoundedLanes(doc, "add load-effect");
    doc.addLoadEffect(&*bridge);
    const std::size_t index = bridge->GetLoadEffects().size() - 1;
    const std::string effect = applyLoadEffect(doc, *bridge, index, request.effect);
    return "Added load effect " + std::to_string(index + 1) + " to bridge " +
           std::to_string(bridge->GetID()) + ": " + effect;
}

Runner prepareLoadEffect(const Arguments& args) {
    args.expectPositional({"PROJECT"});
    LoadEffectCommandRequest request;
    request.path = args.positional()[0];
    const std::uint64_t id = args.count("bridge", 0);
    if (!args.has("bridge"))
        throw args.error("missing option --bridge");
    if (id > static_cast<std::uint64_t>(INT_MAX))
        throw args.error("--bridge must be at most " + std::to_string(INT_MAX));
    request.bridgeID = static_cast<int>(id);
    if (!args.has("function") && !args.has("discrete"))
        throw args.error("a load effect needs --function or --discrete");
    request.effect = loadEffectOptions(args, "add load-effect", "description");
    return [request](CommandContext& context) {
        return editProject(context, request.path,
                           [&request](CTarloDoc& doc) { return addLoadEffect(doc, request); });
    };
}

} // namespace

Command addBridgeCommand() {
    return {"add bridge",
            "PROJECT --start X --end X [--sub-steps N] [outputs] [load-effect options]",
            "add a bridge with its first load effect to a project",
            BRIDGE_HELP,
            {"start", "end", "sub-steps", "description", "block-max", "block-min", "function",
             "discrete", "lane-weights", "threshold-over", "threshold-under", "effect-description"},
            prepareBridge,
            {"time-history", "basic-stats", "histogram"}};
}

Command addLoadEffectCommand() {
    return {"add load-effect",
            "PROJECT --bridge ID (--function FORM | --discrete NAME) [options]",
            "add a load effect to a bridge of a project",
            LOAD_EFFECT_HELP,
            {"bridge", "function", "discrete", "lane-weights", "threshold-over", "threshold-under",
             "description"},
            prepareLoadEffect};
}

} // namespace tarlo::cli
