#include "cli/TrafficGenerate.h"

#include "cli/ExitCode.h"
#include "cli/ReplacedFile.h"
#include "project/settings/CSettings.h"
#include "trafficfiles/FileHandler.h"
#include "trafficfiles/TrafficGenerator.h"

#include "cli/TrafficFormat.h"

#include <algorithm>
#include <cstdio>
#include <ostream>

namespace tarlo::cli {

namespace {

// A record holds the lane in one digit.
constexpr std::uint64_t MAX_LANES = 9;
// A record holds the year in two digits.
constexpr double CALENDAR_YEARS = 100.0;
constexpr double MAX_CALENDAR_SECONDS = 4294967295.0; // time stamps are 32-bit seconds
constexpr unsigned SAFT_HEAD = 20005;

const char* const HELP = R"(Usage: tarlo traffic generate OUT --format FORMAT [options]

Writes synthetic traffic to OUT (replaced): Poisson arrivals in every lane, never closer
than 1.5 s in one lane, of cars (2 axles, 1 to 2.5 t) and trucks of 2 to 6 axles (8 to
44 t, 7 to 18 m, most of them in lane 1), with time stamps on the working-day calendar of
the settings. Vehicles are written in arrival order. The same options and seed give the
same file, byte for byte. OUT is replaced once it is written in full; when the writing
fails, OUT is left as it was.

Options:
  --format FORMAT        castor, saft or kirro
  --vehicles N           stop after N vehicles
  --hours H              stop after H hours of arrivals (default 1 without --vehicles)
  --flow F               vehicles per hour in each lane, above 0 and below 2400
                         (default 1000)
  --lanes-pos N          lanes of direction 1, 0 to 9 (default 2; SAFT: 1)
  --lanes-neg M          lanes of direction 2, 0 to 9 (default 1; SAFT: 0)
  --truck-share S        share of trucks among all vehicles, 0 to 1 (default 0.15)
  --seed S               seed of the random numbers (default 1)
  --start SECONDS        time of the start of the traffic (default 0)
  -h, --help             show this help

SAFT records carry one direction and one lane only: a SAFT file has 1 lane in
direction 1 and none in direction 2.
)";

struct Request {
    std::string path;
    int format = FORMAT_CASTOR;
    TrafficGenerator::Options options;
    bool byCount = false;
    double hours = 1.0;
};

std::string seconds(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2f s", value);
    return text;
}

// The end of year 99 of the calendar: later time stamps do not fit a record.
double calendarLimit(const CSettings& settings) {
    const double year = 86400.0 * settings.Time.DAYS_PER_MT * settings.Time.MTS_PER_YR;
    return std::min(CALENDAR_YEARS * year, MAX_CALENDAR_SECONDS);
}

int run(CommandContext& context, Request request) {
    const double limit = calendarLimit(context.settings);
    TrafficGenerator::Options& options = request.options;
    if (request.byCount) {
        options.endTime = limit;
    } else {
        options.endTime = options.startTime + request.hours * 3600.0;
        if (options.endTime > limit)
            throw UsageError("--start and --hours must end within the 100 years of the "
                             "calendar (" +
                                 seconds(limit) + ")",
                             "traffic generate");
    }
    if (options.startTime >= limit)
        throw UsageError("--start must lie within the 100 years of the calendar (before " +
                             seconds(limit) + ")",
                         "traffic generate");

    ReplacedFile target(request.path);
    auto writer = makeFileHandler(request.format, context.settings, 0, "", target.writePath());
    if (!writer || !writer->outputOpen()) {
        context.err << "tarlo: cannot write " << request.path << '\n';
        return EXIT_FILE_ERROR;
    }

    TrafficGenerator generator(context.settings, options);
    double first = 0.0;
    double last = 0.0;
    while (const auto vehicle = generator.next()) {
        if (generator.vehiclesMade() == 1)
            first = vehicle->getTime();
        last = vehicle->getTime();
        writer->writeVehicle(*vehicle);
    }
    if (!writer->finishOutput() || !target.commit()) {
        context.err << "tarlo: cannot write " << request.path << "; it is left as it was\n";
        return EXIT_FILE_ERROR;
    }

    context.out << "Wrote " << generator.vehiclesMade() << " vehicles (" << generator.trucksMade()
                << " trucks) to " << request.path;
    if (generator.vehiclesMade() > 0)
        context.out << ", arrivals from " << seconds(first) << " to " << seconds(last);
    context.out << '\n';
    if (request.byCount && generator.vehiclesMade() < options.maxVehicles)
        context.err << "tarlo: warning: the calendar ends at " << seconds(limit) << " after "
                    << generator.vehiclesMade() << " vehicles\n";
    return EXIT_OK;
}

Runner prepare(const Arguments& args) {
    args.expectPositional({"OUT"});
    Request request;
    request.path = args.positional()[0];
    request.format = formatOption(args, "format");
    TrafficGenerator::Options& options = request.options;

    if (args.has("vehicles") && args.has("hours"))
        throw args.error("give --vehicles or --hours, not both");
    request.byCount = args.has("vehicles");
    if (request.byCount)
        options.maxVehicles = args.count("vehicles", 0);
    request.hours = args.number("hours", 1.0);

    options.flowPerLane = args.number("flow", options.flowPerLane);
    if (options.flowPerLane <= 0.0 || options.flowPerLane >= TrafficGenerator::MAX_FLOW)
        throw args.error("--flow must be above 0 and below 2400 vehicles per hour per lane "
                         "(arrivals in a lane stay 1.5 s apart)");

    const bool saft = request.format == FORMAT_SAFT;
    const std::uint64_t lanesPos = args.count("lanes-pos", saft ? 1 : options.lanesPos);
    const std::uint64_t lanesNeg = args.count("lanes-neg", saft ? 0 : options.lanesNeg);
    if (saft && (lanesPos != 1 || lanesNeg != 0))
        throw args.error("SAFT carries one direction and lane only: use --lanes-pos 1 "
                         "--lanes-neg 0");
    if (lanesPos > MAX_LANES)
        throw args.error("--lanes-pos must be at most 9");
    if (lanesNeg > MAX_LANES)
        throw args.error("--lanes-neg must be at most 9");
    if (lanesPos + lanesNeg == 0)
        throw args.error("--lanes-pos and --lanes-neg give no lane");
    options.lanesPos = static_cast<unsigned>(lanesPos);
    options.lanesNeg = static_cast<unsigned>(lanesNeg);

    options.truckShare = args.number("truck-share", options.truckShare);
    if (options.truckShare > 1.0)
        throw args.error("--truck-share must be between 0 and 1");
    options.seed = args.count("seed", options.seed);
    options.startTime = args.number("start", options.startTime);
    if (saft)
        options.head = SAFT_HEAD;

    return [request](CommandContext& context) { return run(context, request); };
}

} // namespace

Command trafficGenerateCommand() {
    return {"traffic generate",
            "OUT --format FORMAT [--vehicles N | --hours H] [options]",
            "write synthetic traffic",
            HELP,
            {"format", "vehicles", "hours", "flow", "lanes-pos", "lanes-neg", "truck-share", "seed",
             "start"},
            prepare};
}

} // namespace tarlo::cli
