#include "TrafficTestFiles.h"

#include "project/settings/CSettings.h"
#include "trafficfiles/FileHandler.h"

#include <gtest/gtest.h>

#include <fstream>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include <sys/stat.h>

namespace tarlo {
namespace {

using test::TempDir;

// A two-axle CASTOR record; the lane is in column 30.
std::string castor(char lane = '1') {
    std::string record = "100116 2 0121320 5250 110 95212127 5045 60 0";
    record[30] = lane;
    return record;
}

std::string repeat(const std::string& line, int count) {
    std::string bytes;
    for (int i = 0; i < count; ++i)
        bytes += line;
    return bytes;
}

struct StreamCase {
    const char* name;
    std::string bytes;
    unsigned laneLimit;
    unsigned noLines;
    std::vector<unsigned> firstBlock;   // vehicleNo of each vehicle of the first block
    std::vector<unsigned> nextVehicles; // then readNextVehicle until the end of the file
};

void PrintTo(const StreamCase& c, std::ostream* os) {
    *os << c.name;
}

const std::vector<StreamCase>& streamCases() {
    const std::string r = castor();
    static const std::vector<StreamCase> cases = {
        {"ThreeRecordsWithLf", r + "\n" + r + "\n" + r + "\n", 9, 3, {1, 2, 3}, {}},
        {"ThreeRecordsWithCrLf", r + "\r\n" + r + "\r\n" + r + "\r\n", 9, 3, {1, 2, 3}, {}},
        // The last vehicle of a file without a final line end is kept and its line counted.
        {"LastLineWithoutLineEnd", r + "\n" + r + "\n" + r, 9, 3, {1, 2, 3}, {}},
        {"LastLineEndsInCr", r + "\r\n" + r + "\r", 9, 2, {1, 2}, {}},
        // Kept, the CR would complete the 31 columns that a record without axles needs.
        {"CrIsNotPartOfTheLine", r.substr(0, 28) + "01\r\n" + r + "\r\n", 9, 2, {2}, {}},
        {"EmptyFile", "", 9, 0, {}, {}},
        // Empty lines and a line of 20 characters give no vehicle but count as lines read.
        {"BlankAndShortLinesCount",
         r + "\n\n\r\n" + r.substr(0, 20) + "\n" + r + "\n",
         9,
         5,
         {1, 5},
         {}},
        {"LaneAboveLimitIsPassedOver",
         castor('1') + "\n" + castor('3') + "\n" + castor('2') + "\n",
         2,
         3,
         {1, 3},
         {}},
        {"LaneLimitZeroKeepsNothing", r + "\n" + r + "\n", 0, 2, {}, {}},
        // A line longer than any record reads as its first 1024 characters and counts as
        // one line, at the end of the file too.
        {"LongLineReadsAsItsStart",
         r + std::string(5000, '7') + "\r\n" + r + "\n" + r + std::string(5000, ' '),
         9,
         3,
         {1, 2, 3},
         {}},
        // A line cut at the limit must not lose the line end that follows it.
        {"LinesAtTheLimit",
         r + std::string(1024 - r.size(), ' ') + "\n" + r + std::string(1025 - r.size(), ' ') +
             "\n" + r + std::string(1024 - r.size(), ' '),
         9,
         3,
         {1, 2, 3},
         {}},
        {"MoreThanOneBlock",
         repeat(r + "\n", 11) + r,
         9,
         12,
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 10},
         {11, 12}},
    };
    return cases;
}

class TrafficStream : public ::testing::TestWithParam<StreamCase> {
protected:
    CSettings m_Settings;
    TempDir m_Dir;
};

std::vector<unsigned> numbers(const std::vector<std::unique_ptr<Vehicle>>& vehicles) {
    std::vector<unsigned> result;
    for (const auto& v : vehicles)
        result.push_back(v->vehicleNo);
    return result;
}

TEST_P(TrafficStream, FirstBlockThenNextVehiclesToTheEnd) {
    const StreamCase& c = GetParam();
    auto handler =
        makeFileHandler(FORMAT_CASTOR, m_Settings, c.laneLimit, m_Dir.write("in.txt", c.bytes), "");
    EXPECT_EQ(c.noLines, handler->getNoLines());
    EXPECT_EQ(c.firstBlock, numbers(handler->readFirstBlock()));

    std::vector<unsigned> next;
    bool endOfFile = false;
    while (!endOfFile)
        if (auto vehicle = handler->readNextVehicle(endOfFile))
            next.push_back(vehicle->vehicleNo);
    EXPECT_EQ(c.nextVehicles, next);
    EXPECT_FALSE(handler->readNextVehicle(endOfFile));
    // Progress ends at exactly 100 %.
    EXPECT_EQ(handler->getNoLines(), handler->getNoRead());
}

INSTANTIATE_TEST_SUITE_P(Files, TrafficStream, ::testing::ValuesIn(streamCases()),
                         [](const auto& info) { return std::string(info.param.name); });

// A FIFO cannot be rewound after its lines are counted: it is read in one pass, its lines
// counted as they come, and gives every vehicle that a file gives.
TEST_P(TrafficStream, AFifoGivesWhatAFileGives) {
    const StreamCase& c = GetParam();
    const std::string fifo = m_Dir.file("in.fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // Opening either end waits for the other.
    std::thread feeder([&] { std::ofstream(fifo, std::ios::binary) << c.bytes; });
    auto handler = makeFileHandler(FORMAT_CASTOR, m_Settings, c.laneLimit, fifo, "");
    EXPECT_TRUE(handler->inputOpen());
    EXPECT_FALSE(handler->lineCountKnown());
    std::vector<unsigned> next;
    bool endOfFile = false;
    EXPECT_EQ(c.firstBlock, numbers(handler->readFirstBlock()));
    while (!endOfFile)
        if (auto vehicle = handler->readNextVehicle(endOfFile))
            next.push_back(vehicle->vehicleNo);
    feeder.join();
    EXPECT_EQ(c.nextVehicles, next);
    EXPECT_EQ(c.noLines, handler->getNoLines());
    EXPECT_FALSE(handler->readFailed());
}

// A read error is no end of file: a directory opens, but every read of it fails.
TEST(TrafficReading, AReadErrorIsReportedAsSuch) {
    CSettings settings;
    TempDir dir;
    auto handler = makeFileHandler(FORMAT_CASTOR, settings, 9, dir.file(""), "");
    ASSERT_TRUE(handler->inputOpen());
    EXPECT_TRUE(handler->readFailed());
    bool endOfFile = false;
    EXPECT_FALSE(handler->readNextVehicle(endOfFile));
    EXPECT_TRUE(endOfFile);
    EXPECT_TRUE(handler->readFailed());

    // A file that reads to its end has no error.
    auto good = makeFileHandler(FORMAT_CASTOR, settings, 9, dir.write("in.txt", castor()), "");
    endOfFile = false;
    while (!endOfFile)
        good->readNextVehicle(endOfFile);
    EXPECT_FALSE(good->readFailed());
    EXPECT_TRUE(good->lineCountKnown());
}

TEST(TrafficReading, AllOnesLaneLimitReadsNothing) {
    CSettings settings;
    TempDir dir;
    auto handler = makeFileHandler(FORMAT_CASTOR, settings, 0xFFFFFFFF,
                                   dir.write("in.txt", castor() + "\n"), "");
    EXPECT_EQ(1u, handler->getNoLines());
    EXPECT_TRUE(handler->readFirstBlock().empty());
    bool endOfFile = false;
    EXPECT_FALSE(handler->readNextVehicle(endOfFile));
    EXPECT_TRUE(endOfFile); // a caller reading to the end of input must not spin forever
    EXPECT_EQ(0u, handler->getNoRead());
}

TEST(TrafficReading, MissingInputGivesNoLinesAndEndsAtOnce) {
    CSettings settings;
    TempDir dir;
    for (const std::string& name : {dir.file("absent.txt"), std::string()}) {
        auto handler = makeFileHandler(FORMAT_SAFT, settings, 9, name, "");
        EXPECT_FALSE(handler->inputOpen());
        EXPECT_EQ(0u, handler->getNoLines());
        bool endOfFile = false;
        EXPECT_FALSE(handler->readNextVehicle(endOfFile));
        EXPECT_TRUE(endOfFile);
        EXPECT_TRUE(handler->readFirstBlock().empty());
        EXPECT_EQ(0u, handler->getNoRead());
    }
}

TEST(TrafficWriting, UnopenableOutputMakesWritesSilent) {
    CSettings settings;
    TempDir dir;
    auto handler = makeFileHandler(FORMAT_KIRRO, settings, 0, "", dir.file("no/such/out.txt"));
    EXPECT_FALSE(handler->outputOpen());
    handler->writeVehicle(Vehicle(settings));
}

TEST(TrafficReading, CountsAndReadsAcrossBufferBoundaries) {
    CSettings settings;
    TempDir dir;
    // About 140 kB: more than one counting chunk, lines split across chunk edges.
    const int count = 3000;
    auto handler = makeFileHandler(FORMAT_CASTOR, settings, 9,
                                   dir.write("in.txt", repeat(castor() + "\r\n", count)), "");
    EXPECT_EQ(unsigned(count), handler->getNoLines());
    unsigned read = 0, last = 0;
    bool endOfFile = false;
    while (!endOfFile)
        if (auto vehicle = handler->readNextVehicle(endOfFile)) {
            ++read;
            last = vehicle->vehicleNo;
            ASSERT_EQ(2u, vehicle->noAxles);
        }
    EXPECT_EQ(unsigned(count), read);
    EXPECT_EQ(unsigned(count), last);
}

TEST(TrafficFormats, CodesMakeTheirHandlers) {
    CSettings settings;
    for (int format : {FORMAT_SAFT, FORMAT_CASTOR, FORMAT_KIRRO})
        EXPECT_EQ(format, makeFileHandler(format, settings, 0, "", "")->formatCode());
    EXPECT_FALSE(makeFileHandler(103, settings, 0, "", ""));
    EXPECT_FALSE(makeFileHandler(0, settings, 0, "", ""));
}

struct ParseCase {
    const char* name;
    int format;
    std::string line;
    bool parsed;
};

void PrintTo(const ParseCase& c, std::ostream* os) {
    *os << c.name;
}

// Fields at and beyond the end of the line.
const std::vector<ParseCase>& parseCases() {
    const std::string c = castor();
    static const std::vector<ParseCase> cases = {
        {"Castor20Chars", FORMAT_CASTOR, c.substr(0, 20), false},
        {"Kirro20Chars", FORMAT_KIRRO, c.substr(0, 20), false},
        {"Saft20Chars", FORMAT_SAFT, std::string("000421234516020012132000").substr(0, 20), false},
        // The code field starts beyond a 30-character line, exactly at the end of a 31.
        {"CastorCodeBeyondEnd", FORMAT_CASTOR, c.substr(0, 28) + "01", false},
        {"CastorCodeAtEnd", FORMAT_CASTOR, c.substr(0, 28) + "012", true},
        {"CastorLastSpacingAtEnd", FORMAT_CASTOR, c.substr(0, 42), true},
        {"CastorLastSpacingBeyondEnd", FORMAT_CASTOR, c.substr(0, 41), false},
        {"SaftLastWeightCut", FORMAT_SAFT, "0004212345160200121320002500450120310045150132", true},
        {"KirroNegativeAxleCount", FORMAT_KIRRO,
         "2002 31099235959991252500180-10334000000000000000000000000000000000000000000", false},
    };
    return cases;
}

class FieldBounds : public ::testing::TestWithParam<ParseCase> {};

TEST_P(FieldBounds, LineParsesOrFails) {
    CSettings settings;
    auto handler = makeFileHandler(GetParam().format, settings, 9, "", "");
    Vehicle vehicle(settings);
    EXPECT_EQ(GetParam().parsed, handler->parseRecord(GetParam().line, vehicle));
}

INSTANTIATE_TEST_SUITE_P(Lines, FieldBounds, ::testing::ValuesIn(parseCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FieldBounds, FieldsAtOrCutByTheLineEndReadWhatIsThere) {
    CSettings settings;
    auto castorFile = makeFileHandler(FORMAT_CASTOR, settings, 9, "", "");
    Vehicle v(settings);
    ASSERT_TRUE(castorFile->parseRecord(castor().substr(0, 43), v));
    EXPECT_DOUBLE_EQ(4.5, v.axles[0].spacing);
    EXPECT_DOUBLE_EQ(58.86, v.axles[1].weight);
    EXPECT_DOUBLE_EQ(0.0, v.axles[1].spacing);
    // No axles, and a code column cut to "75".
    ASSERT_TRUE(castorFile->parseRecord(castor().substr(0, 28) + "01275", v));
    EXPECT_EQ(0u, v.noAxles);
    EXPECT_TRUE(v.axles.empty());
    EXPECT_EQ(7u, v.auxCode);
}

TEST(FieldBounds, FieldsReadLikeAtoi) {
    CSettings settings;
    auto castorFile = makeFileHandler(FORMAT_CASTOR, settings, 9, "", "");
    Vehicle v(settings);
    v.position = v.laneChangeTimer = 3.0;
    // speed "+5x", gross weight "-1 2", length " x9"
    std::string line = castor();
    line.replace(18, 10, "+5x-1 2 x9");
    ASSERT_TRUE(castorFile->parseRecord(line, v));
    EXPECT_DOUBLE_EQ(0.5, v.speed);
    EXPECT_DOUBLE_EQ(-0.981, v.gvw);
    EXPECT_DOUBLE_EQ(0.0, v.length);
    EXPECT_EQ(0.0, v.position + v.laneChangeTimer);
}

} // namespace
} // namespace tarlo
