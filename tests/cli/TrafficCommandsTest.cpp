#include "CliSupport.h"

#include "project/settings/CSettings.h"
#include "support/RecordingHost.h"
#include "trafficfiles/FileHandler.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <vector>

namespace tarlo::test {
namespace {

// The indented "label: count" lines that follow a heading line of the info output.
std::map<std::string, long long> section(const std::string& output, const std::string& heading) {
    std::map<std::string, long long> entries;
    std::istringstream lines(output);
    bool inside = false;
    for (std::string line; std::getline(lines, line);) {
        if (line == heading) {
            inside = true;
        } else if (inside && line.rfind("  ", 0) == 0) {
            const std::size_t colon = line.rfind(": ");
            entries[line.substr(2, colon - 2)] = std::stoll(line.substr(colon + 2));
        } else {
            inside = false;
        }
    }
    return entries;
}

long long total(const std::map<std::string, long long>& entries) {
    long long sum = 0;
    for (const auto& entry : entries)
        sum += entry.second;
    return sum;
}

// The number of vehicles `traffic generate` reports having written.
long long written(const CliResult& result) {
    const std::string prefix = "Wrote ";
    if (result.out.rfind(prefix, 0) != 0)
        return -1;
    return std::stoll(result.out.substr(prefix.size()));
}

struct FormatCase {
    const char* format;
    const char* lanes;
    std::vector<std::string> laneLabels;
};

class GenerateThenInfo : public testing::TestWithParam<FormatCase> {};

TEST_P(GenerateThenInfo, InfoFindsEveryGeneratedVehicle) {
    const FormatCase& c = GetParam();
    TempDir dir;
    const std::string file = dir.file("traffic.txt");
    const CliResult generated = runTarlo(dir, "traffic generate '" + file + "' --format " +
                                                  c.format + " --hours 0.5 " + c.lanes);
    ASSERT_EQ(generated.exitCode, 0) << generated.err;
    const long long vehicles = written(generated);
    ASSERT_GT(vehicles, 100);

    const CliResult info = runTarlo(dir, "traffic info '" + file + "' --format " + c.format);
    ASSERT_EQ(info.exitCode, 0) << info.err;
    EXPECT_EQ(info.err, "");
    EXPECT_EQ(reportedNumber(info.out, "Lines"), vehicles);
    EXPECT_EQ(reportedNumber(info.out, "Vehicles read"), vehicles);
    EXPECT_EQ(reportedNumber(info.out, "Lines skipped"), 0);
    EXPECT_EQ(reportedNumber(info.out, "Vehicles earlier than the one before"), 0);

    const auto lanes = section(info.out, "Vehicles per direction and lane:");
    std::vector<std::string> labels;
    for (const auto& entry : lanes) {
        labels.push_back(entry.first);
        EXPECT_GT(entry.second, 0) << entry.first;
    }
    EXPECT_EQ(labels, c.laneLabels);
    EXPECT_EQ(total(lanes), vehicles);

    const auto axles = section(info.out, "Vehicles per axle count:");
    EXPECT_EQ(total(axles), vehicles);
    EXPECT_GT(axles.at("2 axles"), axles.at("5 axles")); // cars outnumber trucks
    EXPECT_NE(info.out.find("First time stamp: day 1 month 1 year 0 00:"), std::string::npos);
    EXPECT_NE(info.out.find("Gross weight: "), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    EachFormat, GenerateThenInfo,
    testing::Values(FormatCase{"castor",
                               "",
                               {"direction 1 lane 1", "direction 1 lane 2", "direction 2 lane 1"}},
                    FormatCase{"kirro",
                               "--lanes-pos 3 --lanes-neg 2",
                               {"direction 1 lane 1", "direction 1 lane 2", "direction 1 lane 3",
                                "direction 2 lane 1", "direction 2 lane 2"}},
                    FormatCase{"saft", "", {"direction 1 lane 1"}},
                    FormatCase{"SAFT", "--lanes-pos 1 --lanes-neg 0", {"direction 1 lane 1"}}),
    [](const auto& info) { return std::string(info.param.format) + std::to_string(info.index); });

TEST(TrafficGenerate, TheSameSeedGivesTheSameBytes) {
    TempDir dir;
    for (const char* format : {"castor", "kirro", "saft"}) {
        const std::string base = std::string("traffic generate '") + dir.file(format);
        const std::string options = std::string(" --format ") + format + " --vehicles 2000";
        ASSERT_EQ(runTarlo(dir, base + ".a'" + options + " --seed 7").exitCode, 0);
        ASSERT_EQ(runTarlo(dir, base + ".b'" + options + " --seed=7").exitCode, 0);
        ASSERT_EQ(runTarlo(dir, base + ".c'" + options + " --seed 8").exitCode, 0);
        const std::string a = readFile(dir.file(format) + ".a");
        EXPECT_GT(a.size(), 2000u * 30);
        EXPECT_EQ(a, readFile(dir.file(format) + ".b")) << format;
        EXPECT_NE(a, readFile(dir.file(format) + ".c")) << format;
    }
}

TEST(TrafficGenerate, ReadersTakeEveryRecordInTimeOrder) {
    TempDir dir;
    const std::string file = dir.file("traffic.kir");
    const CliResult result = runTarlo(dir, "traffic generate '" + file +
                                               "' --format kirro --vehicles 3000 --start 86000 "
                                               "--truck-share 0.4 --flow 1800");
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(written(result), 3000);

    const CSettings settings;
    auto reader = makeFileHandler(FORMAT_KIRRO, settings, 0xFFFFFFFE, file, "");
    ASSERT_TRUE(reader && reader->inputOpen());
    bool endOfFile = false;
    unsigned count = 0;
    double previous = 86000.0;
    bool crossedMidnight = false;
    while (!endOfFile) {
        const auto v = reader->readNextVehicle(endOfFile);
        if (!v)
            continue;
        ++count;
        EXPECT_EQ(v->vehicleNo, count);
        ASSERT_GE(v->getTime(), previous) << "line " << count;
        previous = v->getTime();
        crossedMidnight = crossedMidnight || v->day == 2;
        ASSERT_GE(v->noAxles, 2u);
        ASSERT_LE(v->noAxles, 6u);
    }
    EXPECT_EQ(count, 3000u);
    EXPECT_EQ(reader->getNoLines(), 3000u);
    EXPECT_TRUE(crossedMidnight);
}

TEST(TrafficConvert, CastorToKirroAndBackKeepsEveryVehicle) {
    TempDir dir;
    const std::string castor = dir.file("a.cas");
    const std::string kirro = dir.file("b.kir");
    const std::string back = dir.file("c.cas");
    ASSERT_EQ(runTarlo(dir, "traffic generate '" + castor +
                                "' --format castor --hours 0.25 --lanes-neg 2 --truck-share 0.5")
                  .exitCode,
              0);
    const CliResult there =
        runTarlo(dir, "traffic convert '" + castor + "' '" + kirro + "' --from castor --to kirro");
    ASSERT_EQ(there.exitCode, 0) << there.err;
    const CliResult again =
        runTarlo(dir, "traffic convert '" + kirro + "' '" + back + "' --from KIRRO --to castor");
    ASSERT_EQ(again.exitCode, 0) << again.err;
    EXPECT_EQ(again.out.rfind("Converted ", 0), 0u);

    // Compare the records vehicle by vehicle, then the files byte for byte.
    const CSettings settings;
    auto original = makeFileHandler(FORMAT_CASTOR, settings, 0xFFFFFFFE, castor, "");
    auto middle = makeFileHandler(FORMAT_KIRRO, settings, 0xFFFFFFFE, kirro, "");
    auto result = makeFileHandler(FORMAT_CASTOR, settings, 0xFFFFFFFE, back, "");
    bool endA = false, endB = false, endC = false;
    unsigned compared = 0;
    while (!endA) {
        const auto a = original->readNextVehicle(endA);
        const auto b = middle->readNextVehicle(endB);
        const auto c = result->readNextVehicle(endC);
        ASSERT_EQ(a == nullptr, c == nullptr);
        ASSERT_EQ(a == nullptr, b == nullptr);
        if (!a)
            continue;
        ++compared;
        EXPECT_EQ(original->formatRecord(*a), result->formatRecord(*c)) << "vehicle " << compared;
        EXPECT_EQ(b->direction, a->direction);
        EXPECT_EQ(b->lane, a->lane);
        EXPECT_EQ(b->getTime(), a->getTime());
        EXPECT_NEAR(b->gvw, a->gvw, 1e-9);
    }
    EXPECT_TRUE(endB && endC);
    EXPECT_GT(compared, 100u);
    EXPECT_NE(there.out.find("Converted " + std::to_string(compared) + " vehicles"),
              std::string::npos);
    EXPECT_EQ(readFile(castor), readFile(back));
}

// Standard input, a pipe here, cannot be rewound after its lines are counted: it is read
// in one pass and gives what the file gives.
TEST(TrafficCommands, StandardInputIsReadInFull) {
    TempDir dir;
    const std::string castor = dir.file("a.cas");
    ASSERT_EQ(
        runTarlo(dir, "traffic generate '" + castor + "' --format castor --vehicles 400").exitCode,
        0);
    const std::string cat = "cat '" + castor + "'";

    const CliResult fromFile =
        runTarlo(dir, "traffic convert '" + castor + "' '" + dir.file("file.kir") +
                          "' --from castor --to kirro");
    const CliResult fromPipe = runTarloReading(
        dir, cat, "traffic convert - '" + dir.file("pipe.kir") + "' --from castor --to kirro");
    ASSERT_EQ(fromPipe.exitCode, 0) << fromPipe.err;
    EXPECT_NE(fromPipe.out.find("Converted 400 vehicles"), std::string::npos) << fromPipe.out;
    EXPECT_EQ(fromPipe.out, fromFile.out);
    EXPECT_EQ(readFile(dir.file("pipe.kir")), readFile(dir.file("file.kir")));

    const CliResult info = runTarlo(dir, "traffic info '" + castor + "' --format castor");
    const CliResult piped = runTarloReading(dir, cat, "traffic info - --format castor");
    ASSERT_EQ(piped.exitCode, 0) << piped.err;
    EXPECT_EQ(reportedNumber(piped.out, "Lines"), 400);
    EXPECT_EQ(piped.out.substr(0, piped.out.find('\n')), "File: standard input");
    EXPECT_EQ(piped.out.substr(piped.out.find('\n')), info.out.substr(info.out.find('\n')));
}

TEST(TrafficConvert, WarnsWhenSaftLosesTheLanes) {
    TempDir dir;
    const std::string castor = dir.file("a.cas");
    ASSERT_EQ(
        runTarlo(dir, "traffic generate '" + castor + "' --format castor --vehicles 50").exitCode,
        0);
    const CliResult result = runTarlo(dir, "traffic convert '" + castor + "' '" +
                                               dir.file("b.saft") + "' --from castor --to saft");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_NE(result.out.find("Converted 50 vehicles from CASTOR to SAFT"), std::string::npos);
    EXPECT_NE(result.err.find("SAFT cannot record"), std::string::npos);
}

TEST(TrafficConvert, RefusesToOverwriteItsInput) {
    TempDir dir;
    const std::string file = dir.file("a.cas");
    ASSERT_EQ(
        runTarlo(dir, "traffic generate '" + file + "' --format castor --vehicles 20").exitCode, 0);
    const std::string before = readFile(file);
    const CliResult result =
        runTarlo(dir, "traffic convert '" + file + "' '" + dir.path().string() +
                          "/./a.cas' --from castor --to kirro");
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(readFile(file), before);
}

// The names in a folder.
std::set<std::string> folderNames(const std::filesystem::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

// A write that fails part way, as on a full disk (here a file size limit of 32 KiB, far
// below the output), must leave the target as it was and no temporary file beside it.
TEST(TrafficWriting, AFailedWriteLeavesTheTargetAsItWas) {
    const struct {
        const char* name;
        const char* arguments; // OUT stands for the target
    } rows[] = {
        {"convert", "traffic convert DIR/in.cas OUT --from castor --to kirro"},
        {"generate", "traffic generate OUT --format castor --vehicles 5000 --seed 3"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        const std::string in = dir.file("in.cas");
        ASSERT_EQ(
            runTarlo(dir, "traffic generate '" + in + "' --format castor --vehicles 5000").exitCode,
            0);
        ASSERT_GT(std::filesystem::file_size(in), 64u << 10);
        const std::string target = dir.file("target.out");
        std::ofstream(target, std::ios::binary) << "the previous contents\r\n";
        // The shell's redirections of the output are made before the command runs.
        const std::set<std::string> before = {"in.cas", "target.out", "stdout.txt", "stderr.txt",
                                              "config"};

        std::string arguments = row.arguments;
        if (const std::size_t at = arguments.find("DIR/"); at != std::string::npos)
            arguments.replace(at, 4, dir.path().string() + "/");
        arguments.replace(arguments.find("OUT"), 3, "'" + target + "'");
        const CliResult result = runTarloLimited(dir, "-f 64", arguments);
        EXPECT_EQ(result.exitCode, 3) << result.err;
        EXPECT_EQ(result.err, "tarlo: cannot write " + target + "; it is left as it was\n");
        EXPECT_EQ(readFile(target), "the previous contents\r\n");
        std::set<std::string> names = folderNames(dir.path());
        names.insert("config");
        EXPECT_EQ(names, before);
    }
}

// A line of 200 MiB, far longer than any record, read under a 64 MiB address-space
// ceiling: it counts as one line, its start as a record, and the reading goes on past it.
TEST(TrafficReading, AHugeLineIsReadInBoundedMemory) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "a sanitizer reserves more address space than the ceiling allows";
#endif
    TempDir dir;
    const std::string record = "100116 2 0121320 5250 110 95212127 5045 60 0";
    const std::string producer = "{ printf '" + record + "\\r\\n" + record +
                                 "'; head -c 209715200 /dev/zero | tr '\\0' 7; printf '\\r\\n" +
                                 record + "\\r\\n'; }";
    const std::string out = dir.file("out.cas");
    const CliResult result =
        runTarloAfter(dir, "ulimit -v 65536; " + producer + " | ",
                      "traffic convert - '" + out + "' --from castor --to castor");
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "Converted 3 vehicles from CASTOR to CASTOR (3 lines read, 0 without "
                          "a vehicle)\n");
    EXPECT_LT(std::filesystem::file_size(out), 1024u);
}

struct ExitCase {
    const char* arguments;
    int exitCode;
    const char* errorText; // part of the standard error
};

class ExitCodes : public testing::TestWithParam<ExitCase> {};

TEST_P(ExitCodes, CommandLineGivesItsExitCode) {
    const ExitCase& c = GetParam();
    TempDir dir;
    ASSERT_EQ(
        runTarlo(dir, "traffic generate '" + dir.file("in.cas") + "' --format castor --vehicles 10")
            .exitCode,
        0);
    std::string arguments = c.arguments;
    for (std::size_t at; (at = arguments.find("DIR/")) != std::string::npos;)
        arguments.replace(at, 4, dir.path().string() + "/");
    const CliResult result = runTarlo(dir, arguments);
    EXPECT_EQ(result.exitCode, c.exitCode) << arguments << "\n" << result.err;
    EXPECT_NE(result.err.find(c.errorText), std::string::npos) << result.err;
    if (c.exitCode == 2) {
        EXPECT_NE(result.err.find("--help"), std::string::npos) << result.err;
    }
}

INSTANTIATE_TEST_SUITE_P(
    UsageErrors, ExitCodes,
    testing::Values(
        ExitCase{"", 2, "missing command"}, ExitCase{"bogus", 2, "unknown command 'bogus'"},
        ExitCase{"traffic", 2, "info, convert or generate"},
        ExitCase{"traffic bogus", 2, "unknown traffic command 'bogus'"},
        ExitCase{"traffic info", 2, "missing FILE"},
        ExitCase{"traffic info DIR/in.cas", 2, "missing option --format"},
        ExitCase{"traffic info DIR/in.cas --format", 2, "--format needs a value"},
        ExitCase{"traffic info DIR/in.cas --format xyz", 2, "castor, saft or kirro"},
        ExitCase{"traffic info DIR/in.cas DIR/x --format castor", 2, "unexpected argument"},
        ExitCase{"traffic info DIR/in.cas --format castor --bogus", 2, "unknown option --bogus"},
        ExitCase{"traffic info DIR/in.cas --format castor --format kirro", 2, "given twice"},
        ExitCase{"traffic convert DIR/in.cas --from castor --to kirro", 2, "missing OUT"},
        ExitCase{"traffic convert DIR/in.cas DIR/o --to kirro", 2, "missing option --from"},
        ExitCase{"traffic generate --format castor", 2, "missing OUT"},
        ExitCase{"traffic generate DIR/o --vehicles 10", 2, "missing option --format"},
        ExitCase{"traffic generate DIR/o --format castor --vehicles -1", 2, "--vehicles"},
        ExitCase{"traffic generate DIR/o --format castor --vehicles 1.5", 2, "--vehicles"},
        ExitCase{"traffic generate DIR/o --format castor --vehicles 9 --hours 1", 2, "not both"},
        ExitCase{"traffic generate DIR/o --format castor --hours -2", 2, "--hours"},
        ExitCase{"traffic generate DIR/o --format castor --hours nan", 2, "--hours"},
        ExitCase{"traffic generate DIR/o --format castor --flow 0", 2, "--flow"},
        ExitCase{"traffic generate DIR/o --format castor --flow 2400", 2, "--flow"},
        ExitCase{"traffic generate DIR/o --format castor --flow 12x", 2, "--flow"},
        ExitCase{"traffic generate DIR/o --format castor --truck-share 1.5", 2, "--truck-share"},
        ExitCase{"traffic generate DIR/o --format castor --lanes-pos 0 --lanes-neg 0", 2,
                 "no lane"},
        ExitCase{"traffic generate DIR/o --format castor --lanes-pos 10", 2, "--lanes-pos"},
        ExitCase{"traffic generate DIR/o --format castor --lanes-neg=-1", 2, "--lanes-neg"},
        ExitCase{"traffic generate DIR/o --format saft --lanes-pos 2", 2, "SAFT"},
        ExitCase{"traffic generate DIR/o --format saft --lanes-neg 1", 2, "SAFT"},
        ExitCase{"traffic generate DIR/o --format castor --seed -3", 2, "--seed"},
        ExitCase{"traffic generate DIR/o --format castor --start -1", 2, "--start"},
        ExitCase{"traffic generate DIR/o --format castor --start 1e10", 2, "--start"},
        ExitCase{"traffic generate DIR/o --format castor --hours 1e9", 2, "--hours"},
        ExitCase{"traffic info DIR/in.cas --format castor --settings", 2, "--settings"},
        ExitCase{"--settings= traffic info DIR/in.cas --format castor", 2, "--settings"},
        ExitCase{"help bogus", 2, "bogus"}));

INSTANTIATE_TEST_SUITE_P(
    FileErrors, ExitCodes,
    testing::Values(
        ExitCase{"traffic info DIR/missing.cas --format castor", 3, "cannot read"},
        ExitCase{"traffic info DIR/. --format castor", 3, "cannot read"},
        ExitCase{"traffic convert DIR/missing.cas DIR/o --from castor --to kirro", 3,
                 "cannot read"},
        ExitCase{"traffic convert DIR/in.cas DIR/no/such/dir/o --from castor --to kirro", 3,
                 "cannot write"},
        ExitCase{"traffic generate DIR/no/such/dir/o --format castor", 3, "cannot write"},
        // A device that takes no data, like a full disk.
        ExitCase{"traffic generate /dev/full --format castor", 3, "cannot write /dev/full"},
        ExitCase{"traffic convert DIR/in.cas /dev/full --from castor --to saft", 3,
                 "cannot write /dev/full"},
        ExitCase{"--settings DIR/missing.xml traffic info DIR/in.cas --format castor", 3,
                 "Problem loading Program Settings file"},
        ExitCase{"traffic info DIR/in.cas --format castor --settings DIR/in.cas", 3,
                 "cannot load settings"}));

TEST(ExitCodesMessage, MissingFileNamesTheFile) {
    TempDir dir;
    const std::string missing = dir.file("missing.cas");
    const CliResult result = runTarlo(dir, "traffic info '" + missing + "' --format castor");
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_EQ(result.err, "tarlo: cannot read " + missing + "\n");
    EXPECT_EQ(result.out, "");
}

TEST(Help, EveryCommandHasHelp) {
    struct Case {
        const char* arguments;
        const char* firstLine;
    };
    const std::vector<Case> cases{
        {"--help", "Usage: tarlo [--settings FILE] COMMAND"},
        {"-h", "Usage: tarlo [--settings FILE] COMMAND"},
        {"help", "Usage: tarlo [--settings FILE] COMMAND"},
        {"traffic --help", "Usage: tarlo traffic COMMAND"},
        {"help traffic", "Usage: tarlo traffic COMMAND"},
        {"traffic info --help", "Usage: tarlo traffic info FILE"},
        {"help traffic info", "Usage: tarlo traffic info FILE"},
        {"traffic convert -h", "Usage: tarlo traffic convert IN OUT"},
        {"traffic generate --help", "Usage: tarlo traffic generate OUT"},
        {"traffic generate --bogus 3 --help", "Usage: tarlo traffic generate OUT"},
        {"--settings /no/such/file traffic info --help", "Usage: tarlo traffic info FILE"},
    };
    TempDir dir;
    for (const Case& c : cases) {
        const CliResult result = runTarlo(dir, c.arguments);
        EXPECT_EQ(result.exitCode, 0) << c.arguments;
        EXPECT_EQ(result.out.rfind(c.firstLine, 0), 0u) << c.arguments << "\n" << result.out;
        EXPECT_EQ(result.err, "") << c.arguments;
    }
}

// A settings file with a calendar of one-day months and one-month years.
void writeShortCalendar(const std::string& path) {
    CSettings settings;
    settings.Time.DAYS_PER_MT = 1;
    settings.Time.MTS_PER_YR = 1;
    RecordingHost host;
    ASSERT_TRUE(settings.save(path, host));
}

TEST(Settings, TheCalendarComesFromTheSettingsFile) {
    TempDir dir;
    const std::string settingsFile = dir.file("short.xml");
    writeShortCalendar(settingsFile);
    const std::string traffic = dir.file("t.cas");
    // 90 000 s: one day of the short calendar, so year 1, and one hour.
    ASSERT_EQ(runTarlo(dir, "traffic generate '" + traffic +
                                "' --format castor --vehicles 5 --start 90000 --settings '" +
                                settingsFile + "'")
                  .exitCode,
              0);

    const CliResult shortCalendar = runTarlo(
        dir, "--settings '" + settingsFile + "' traffic info '" + traffic + "' --format castor");
    ASSERT_EQ(shortCalendar.exitCode, 0) << shortCalendar.err;
    EXPECT_NE(shortCalendar.out.find("First time stamp: day 1 month 1 year 1 01:00:"),
              std::string::npos)
        << shortCalendar.out;

    // The same record on the default calendar is day 1 of year 1 again: month 1, day 1
    // reads as 0 s into the year, which is 21 600 000 s with 250-day years.
    const CliResult defaults = runTarlo(dir, "traffic info '" + traffic + "' --format castor");
    ASSERT_EQ(defaults.exitCode, 0) << defaults.err;
    EXPECT_EQ(defaults.err, "");
    EXPECT_NE(defaults.out.find("(216036"), std::string::npos) << defaults.out;
    EXPECT_NE(shortCalendar.out.find("(900"), std::string::npos) << shortCalendar.out;
}

TEST(Settings, TheUsersSettingsFileIsUsedWhenThereIsOne) {
    TempDir dir;
    const std::string config = dir.file("home-config");
    std::filesystem::create_directories(config + "/Tarlo");
    writeShortCalendar(config + "/Tarlo/Tarlo.xml");
    const std::string traffic = dir.file("t.cas");
    const CliResult generated = runTarlo(
        dir, "traffic generate '" + traffic + "' --format castor --vehicles 5 --start 90000",
        config);
    ASSERT_EQ(generated.exitCode, 0) << generated.err;
    EXPECT_EQ(generated.err, "");
    const CliResult info = runTarlo(dir, "traffic info '" + traffic + "' --format castor", config);
    EXPECT_NE(info.out.find("year 1 01:00:"), std::string::npos) << info.out;

    // A broken user file is reported and the defaults are used.
    { std::ofstream(config + "/Tarlo/Tarlo.xml") << "<not settings"; }
    const CliResult broken =
        runTarlo(dir, "traffic info '" + traffic + "' --format castor", config);
    EXPECT_EQ(broken.exitCode, 0);
    EXPECT_NE(broken.err.find("Problem loading Program Settings file"), std::string::npos);
    // The command line never writes the user's settings.
    EXPECT_EQ(readFile(config + "/Tarlo/Tarlo.xml"), "<not settings");
}

TEST(Settings, AFreshMachineRunsSilentlyOnTheDefaults) {
    TempDir dir;
    const CliResult result =
        runTarlo(dir, "traffic generate '" + dir.file("t.cas") + "' --format castor --vehicles 5");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_FALSE(std::filesystem::exists(dir.file("config")));
}

} // namespace
} // namespace tarlo::test
