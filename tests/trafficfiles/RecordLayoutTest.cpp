#include "TrafficTestFiles.h"

#include "project/settings/CSettings.h"
#include "trafficfiles/FileHandler.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace tarlo {
namespace {

using test::readBytes;
using test::TempDir;

struct Fields {
    unsigned head = 0;
    unsigned serialNo = 0;
    unsigned day, month, year, hour, minute, second, hundredths;
    double speed, gvw, length;
    unsigned auxCode = 0;
    int direction;
    bool dirPositive;
    int lane;
    std::vector<Axle> axles;
};

// Axles from file numbers {weight, spacing}: weights times `weightUnit` kN, spacings in
// tenths of a metre, positions written out by hand where they matter.
std::vector<Axle> axlesOf(const std::vector<std::pair<int, int>>& file, double weightUnit) {
    std::vector<Axle> axles;
    double position = 0.0;
    for (const auto& [weight, spacing] : file) {
        axles.push_back({position, spacing / 10.0, weight * weightUnit});
        position += spacing / 10.0;
    }
    return axles;
}

std::vector<std::pair<int, int>> series(int count, int weight0, int weightStep, int spacing0,
                                        int spacingStep) {
    std::vector<std::pair<int, int>> file;
    for (int i = 0; i < count; ++i)
        file.emplace_back(weight0 + weightStep * i, i + 1 < count ? spacing0 + spacingStep * i : 0);
    return file;
}

struct LayoutCase {
    const char* name;
    int format;
    std::string record;
    Fields fields;
    // The record written back from the vehicle read, without line end.
    std::string written;
};

void PrintTo(const LayoutCase& c, std::ostream* os) {
    *os << c.name;
}

const std::vector<LayoutCase>& layoutCases() {
    static const std::vector<LayoutCase> cases = {
        {"CastorTwoAxles",
         FORMAT_CASTOR,
         "100116 2 0121320 5250 110 95222127 5045 60 0",
         {1001,
          0,
          16,
          2,
          0,
          12,
          13,
          20,
          5,
          25.0,
          107.91,
          9.5,
          12,
          2,
          false,
          2,
          {{0.0, 4.5, 49.05}, {4.5, 0.0, 58.86}}},
         "100116 2 0121320 5250 110 95222120 5045 60 0  0 0  0 0  0 0  0 0  0 0  0 0  0"},
        {"CastorNineAxles",
         FORMAT_CASTOR,
         "   9 1 1 0 0 0 0 09999999250914  01001011011120121301314014150151601617017180",
         {9, 0, 1, 1, 0, 0, 0, 0, 0, 99.9, 9999 * 0.981, 25.0, 0, 1, true, 4,
          axlesOf(series(9, 100, 10, 10, 1), 0.981)},
         "   9 1 1 0 0 0 0 09999999250914  01001011011120121301314014150151601617017180"},
        {"KirroThreeAxles",
         FORMAT_KIRRO,
         "2002 31099235959991252500180 303340 60125100 13 90  0",
         {2002,
          0,
          3,
          10,
          99,
          23,
          59,
          59,
          99,
          12.5,
          2452.5,
          18.0,
          34,
          1,
          true,
          3,
          {{0.0, 12.5, 58.86}, {12.5, 1.3, 98.1}, {13.8, 0.0, 88.29}}},
         "2002 31099235959991252500180 303340 60125100 13 90  0  0  0  0  0  0  0  0  0  0  0"
         "  0  0  0  0  0  0  0  0  0  0  0  0  0  0  0  0  0  0  0  0  0  0  0"},
        {"KirroTwentyAxles",
         FORMAT_KIRRO,
         "  7725 1 1 0 0 0 1 5030009992011  01001001011051021101031151041201051251061301071351"
         "08140109145110150111155112160113165114170115175116180117185118190119",
         {77, 0, 25, 1, 1, 0, 0, 0, 1, 5.0, 3000 * 0.981, 99.9, 0, 2, false, 1,
          axlesOf(series(20, 100, 1, 100, 5), 0.981)},
         "  7725 1 1 0 0 0 1 5030009992011  01001001011051021101031151041201051251061301071351"
         "08140109145110150111155112160113165114170115175116180117185118190119"},
        {"SaftThreeAxles",
         FORMAT_SAFT,
         "000421234516020012132000250045012031004515013200",
         {20005,
          42,
          16,
          2,
          0,
          12,
          13,
          20,
          0,
          25.0,
          450.0,
          12.0,
          0,
          1,
          true,
          1,
          {{0.0, 4.5, 100.0}, {4.5, 1.3, 150.0}, {5.8, 0.0, 200.0}}},
         "000422000516020012132000250045012031004515013200"},
    };
    return cases;
}

void expectFields(const Fields& expected, const Vehicle& v) {
    EXPECT_EQ(expected.head, v.head);
    EXPECT_EQ(expected.serialNo, v.serialNo);
    EXPECT_EQ(expected.day, v.day);
    EXPECT_EQ(expected.month, v.month);
    EXPECT_EQ(expected.year, v.year);
    EXPECT_EQ(expected.hour, v.hour);
    EXPECT_EQ(expected.minute, v.minute);
    EXPECT_EQ(expected.second, v.second);
    EXPECT_EQ(expected.hundredths, v.hundredths);
    EXPECT_NEAR(expected.speed, v.speed, 1e-9);
    EXPECT_NEAR(expected.gvw, v.gvw, 1e-9);
    EXPECT_NEAR(expected.length, v.length, 1e-9);
    EXPECT_EQ(expected.auxCode, v.auxCode);
    EXPECT_EQ(expected.direction, v.direction);
    EXPECT_EQ(expected.dirPositive, v.dirPositive);
    EXPECT_EQ(expected.lane, v.lane);
    EXPECT_EQ(expected.axles.size(), v.noAxles);
    ASSERT_EQ(expected.axles.size(), v.axles.size());
    for (std::size_t i = 0; i < v.axles.size(); ++i) {
        SCOPED_TRACE("axle " + std::to_string(i));
        EXPECT_NEAR(expected.axles[i].weight, v.axles[i].weight, 1e-9);
        EXPECT_NEAR(expected.axles[i].spacing, v.axles[i].spacing, 1e-9);
        EXPECT_NEAR(expected.axles[i].position, v.axles[i].position, 1e-9);
    }
}

class RecordLayout : public ::testing::TestWithParam<LayoutCase> {
protected:
    std::unique_ptr<Vehicle> readFirst(const std::string& path) {
        auto handler = makeFileHandler(GetParam().format, m_Settings, 9, path, "");
        bool endOfFile = false;
        return handler->readNextVehicle(endOfFile);
    }

    CSettings m_Settings;
    TempDir m_Dir;
};

TEST_P(RecordLayout, ReadsFieldsWithLfAndCrLf) {
    const LayoutCase& c = GetParam();
    for (const char* end : {"\n", "\r\n"}) {
        SCOPED_TRACE(end[0] == '\r' ? "CR LF" : "LF");
        auto handler =
            makeFileHandler(c.format, m_Settings, 9, m_Dir.write("in.txt", c.record + end), "");
        bool endOfFile = false;
        auto vehicle = handler->readNextVehicle(endOfFile);
        ASSERT_TRUE(vehicle);
        EXPECT_FALSE(handler->readNextVehicle(endOfFile));
        EXPECT_TRUE(endOfFile);
        expectFields(c.fields, *vehicle);
        EXPECT_EQ(1u, vehicle->vehicleNo);
    }
}

TEST_P(RecordLayout, WritesRecordWithCrLfAndReadsItBack) {
    const LayoutCase& c = GetParam();
    auto vehicle = readFirst(m_Dir.write("in.txt", c.record + "\n"));
    ASSERT_TRUE(vehicle);
    const std::string out = m_Dir.file("out.txt");
    {
        auto writer = makeFileHandler(c.format, m_Settings, 0, "", out);
        ASSERT_TRUE(writer->outputOpen());
        writer->writeVehicle(*vehicle);
        writer->writeVehicle(*vehicle);
    }
    EXPECT_EQ(c.written + "\r\n" + c.written + "\r\n", readBytes(out));
    auto again = readFirst(out);
    ASSERT_TRUE(again);
    expectFields(c.fields, *again);
}

INSTANTIATE_TEST_SUITE_P(Formats, RecordLayout, ::testing::ValuesIn(layoutCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RecordWriting, AxlesBeyondTheSlotsAreCutAndMissingOnesAreZero) {
    CSettings settings;
    Vehicle v(settings);
    v.head = 1;
    v.day = v.month = 1;
    v.noAxles = 21;
    v.axles.assign(21, Axle{0.0, 1.0, 9.81});
    auto castor = makeFileHandler(FORMAT_CASTOR, settings, 0, "", "");
    auto kirro = makeFileHandler(FORMAT_KIRRO, settings, 0, "", "");
    const std::string c = castor->formatRecord(v);
    ASSERT_EQ(77u + 1, c.size()); // the axle count 21 takes one column more than its width
    EXPECT_EQ(" 1010 10", c.substr(c.size() - 8));
    const std::string k = kirro->formatRecord(v);
    ASSERT_EQ(152u, k.size());
    EXPECT_EQ(" 10 10 10", k.substr(k.size() - 9));

    // A list shorter than the axle count writes zeros in the missing slots.
    v.noAxles = 3;
    v.axles.resize(1);
    auto saft = makeFileHandler(FORMAT_SAFT, settings, 0, "", "");
    EXPECT_EQ("0101000000000", saft->formatRecord(v).substr(35));
}

TEST(RecordWriting, NumbersWiderThanTheirColumnShiftTheRecord) {
    CSettings settings;
    Vehicle v(settings);
    v.head = 123456;
    v.noAxles = 0;
    v.axles.clear();
    v.speed = -1.26; // Nearest(-12.6) is the integer part of -12.1
    v.gvw = -5.0;    // Nearest(-5) is the integer part of -4.5
    auto castor = makeFileHandler(FORMAT_CASTOR, settings, 0, "", "");
    auto saft = makeFileHandler(FORMAT_SAFT, settings, 0, "", "");
    const std::string c = castor->formatRecord(v);
    EXPECT_EQ("123456", c.substr(0, 6));
    EXPECT_EQ("-12  -4", c.substr(20, 7));
    const std::string s = saft->formatRecord(v);
    EXPECT_EQ(35u + 1, s.size());
    EXPECT_EQ("00000123456", s.substr(0, 11));
    EXPECT_EQ("-12-004", s.substr(25, 7));
}

} // namespace
} // namespace tarlo
