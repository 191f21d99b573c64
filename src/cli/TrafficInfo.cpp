#include "cli/TrafficInfo.h"

#include "cli/ExitCode.h"
#include "cli/TrafficFormat.h"
#include "cli/TrafficSummary.h"
#include "trafficfiles/FileHandler.h"

#include <ostream>

namespace tarlo::cli {

namespace {

// Every lane is kept: the reader passes over lanes above the limit, and the all-ones value
// would read nothing.
constexpr unsigned KEEP_EVERY_LANE = 0xFFFFFFFE;

const char* const HELP = R"(Usage: tarlo traffic info FILE --format FORMAT

Reads a traffic file from start to end and prints what it holds: the number of lines,
the vehicles read and the lines that gave no vehicle, the first and last time stamp
(calendar fields and seconds), the vehicles per direction and lane, the vehicles per
axle count and the range of gross weights (kN and t). The file is read as a stream and
may be of any size; FILE may be a pipe or a FIFO, and - reads standard input. A read
error ends the command with exit code 3.

Options:
  --format FORMAT   castor, saft or kirro
  -h, --help        show this help
)";

int run(CommandContext& context, const std::string& name, int format) {
    const TrafficInput input = trafficInput(name);
    if (!canRead(input.path)) {
        context.err << "tarlo: cannot read " << input.label << '\n';
        return EXIT_FILE_ERROR;
    }
    auto reader = makeFileHandler(format, context.settings, KEEP_EVERY_LANE, input.path, "");
    if (!reader || !reader->inputOpen()) {
        context.err << "tarlo: cannot read " << input.label << '\n';
        return EXIT_FILE_ERROR;
    }

    TrafficSummary summary;
    bool endOfFile = false;
    while (!endOfFile)
        if (auto vehicle = reader->readNextVehicle(endOfFile))
            summary.add(*vehicle);
    if (reader->readFailed()) {
        context.err << "tarlo: cannot read " << input.label << " beyond line "
                    << reader->getNoRead() << ": read error\n";
        return EXIT_FILE_ERROR;
    }

    context.out << "File: " << input.label << '\n'
                << "Format: " << formatLabel(format) << '\n'
                << "Lines: " << reader->getNoLines() << '\n'
                << "Vehicles read: " << summary.vehicles() << '\n'
                << "Lines skipped: " << reader->getNoRead() - summary.vehicles() << '\n';
    summary.print(context.out);
    return EXIT_OK;
}

Runner prepare(const Arguments& args) {
    args.expectPositional({"FILE"});
    const int format = formatOption(args, "format");
    const std::string path = args.positional()[0];
    return [=](CommandContext& context) { return run(context, path, format); };
}

} // namespace

Command trafficInfoCommand() {
    return {"traffic info", "FILE --format FORMAT", "summarise a traffic file",
            HELP,           {{"format"}},           prepare};
}

} // namespace tarlo::cli
