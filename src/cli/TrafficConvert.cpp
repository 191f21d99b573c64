#include "cli/TrafficConvert.h"

#include "cli/ExitCode.h"
#include "cli/ReplacedFile.h"
#include "cli/TrafficFormat.h"
#include "trafficfiles/FileHandler.h"

#include <filesystem>
#include <ostream>

namespace tarlo::cli {

namespace {

constexpr unsigned KEEP_EVERY_LANE = 0xFFFFFFFE;

const char* const HELP = R"(Usage: tarlo traffic convert IN OUT --from FORMAT --to FORMAT

Reads every vehicle of the traffic file IN and writes it to OUT in the other format, in
file order. Lines that give no vehicle are left out. OUT is replaced once the writing
is complete; when it fails, OUT is left as it was. IN may be a pipe
or a FIFO, and - reads standard input; a read error ends the command with exit code 3
and leaves OUT holding the vehicles read before it. SAFT records carry
no direction or lane (they read back as direction 1, lane 1) and CASTOR and SAFT records
hold at most 9 axles (Kirro 20); vehicles that lose data this way are counted in a
warning.

Options:
  --from FORMAT   format of IN: castor, saft or kirro
  --to FORMAT     format of OUT: castor, saft or kirro
  -h, --help      show this help
)";

bool sameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec);
}

int run(CommandContext& context, const std::string& name, const std::string& out, int from,
        int to) {
    const TrafficInput in = trafficInput(name);
    if (!canRead(in.path)) {
        context.err << "tarlo: cannot read " << in.label << '\n';
        return EXIT_FILE_ERROR;
    }
    // Opening the output truncates it, which would destroy the input.
    if (sameFile(in.path, out)) {
        context.err << "tarlo: " << out << " is the input file; write to another file\n";
        return EXIT_USAGE;
    }
    auto reader = makeFileHandler(from, context.settings, KEEP_EVERY_LANE, in.path, "");
    if (!reader || !reader->inputOpen()) {
        context.err << "tarlo: cannot read " << in.label << '\n';
        return EXIT_FILE_ERROR;
    }
    ReplacedFile target(out);
    auto writer = makeFileHandler(to, context.settings, 0, "", target.writePath());
    if (!writer || !writer->outputOpen()) {
        context.err << "tarlo: cannot write " << out << '\n';
        return EXIT_FILE_ERROR;
    }

    std::uint64_t written = 0;
    std::uint64_t laneLost = 0;
    std::uint64_t axlesLost = 0;
    bool endOfFile = false;
    while (!endOfFile) {
        const auto vehicle = reader->readNextVehicle(endOfFile);
        if (!vehicle)
            continue;
        writer->writeVehicle(*vehicle);
        ++written;
        if (to == FORMAT_SAFT && (vehicle->direction != 1 || vehicle->lane != 1))
            ++laneLost;
        if (vehicle->noAxles > maxAxles(to))
            ++axlesLost;
    }

    if (!writer->finishOutput() || !target.commit()) {
        context.err << "tarlo: cannot write " << out << "; it is left as it was\n";
        return EXIT_FILE_ERROR;
    }
    if (reader->readFailed()) {
        context.err << "tarlo: cannot read " << in.label << " beyond line " << reader->getNoRead()
                    << ": read error; " << out << " holds the " << written
                    << " vehicles read before it\n";
        return EXIT_FILE_ERROR;
    }
    context.out << "Converted " << written << " vehicles from " << formatLabel(from) << " to "
                << formatLabel(to) << " (" << reader->getNoRead() << " lines read, "
                << reader->getNoRead() - written << " without a vehicle)\n";
    if (laneLost > 0)
        context.err << "tarlo: warning: " << laneLost
                    << " vehicles are not in direction 1 lane 1, which SAFT cannot record\n";
    if (axlesLost > 0)
        context.err << "tarlo: warning: " << axlesLost << " vehicles have more than "
                    << maxAxles(to) << " axles, more than a " << formatLabel(to)
                    << " record holds\n";
    return EXIT_OK;
}

Runner prepare(const Arguments& args) {
    args.expectPositional({"IN", "OUT"});
    const int from = formatOption(args, "from");
    const int to = formatOption(args, "to");
    const std::string in = args.positional()[0];
    const std::string out = args.positional()[1];
    return [=](CommandContext& context) { return run(context, in, out, from, to); };
}

} // namespace

Command trafficConvertCommand() {
    return {"traffic convert",
            "IN OUT --from FORMAT --to FORMAT",
            "rewrite a traffic file in another format",
            HELP,
            {"from", "to"},
            prepare};
}

} // namespace tarlo::cli
