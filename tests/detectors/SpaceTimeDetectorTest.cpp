#include "detectors/CStatDetector.h"
#include "detectors/DetectorFactory.h"
#include "detectors/SpaceTimeDensityDetector.h"
#include "detectors/SpaceTimeSMSDetector.h"
#include "project/settings/CSettings.h"
#include "support/TrafficFixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

namespace tarlo {
namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class SpaceTimeDetectorTest : public ::testing::Test {
protected:
    DetectorParams params(int lanes = 2, bool positive = true) const {
        DetectorParams p;
        p.positive = positive;
        p.lanes = lanes;
        p.interval = 60.0;
        p.roadLength = 3000;
        p.outputDir = dir.file("");
        return p;
    }

    Vehicle vehicle(int lane, double speed) const {
        Vehicle v(settings);
        v.lane = lane;
        v.roadLanes = 2;
        v.speed = speed;
        return v;
    }

    // One interval of traffic over the positions 0, 400, 800 and 1000 of two lanes, then an
    // empty one.
    void drive(ArrayDetector& detector) const {
        const Vehicle slow = vehicle(1, 10.0), fast = vehicle(1, 30.0);
        const Vehicle atZero = vehicle(2, 20.0), atEnd = vehicle(2, 20.0);
        detector.passCheck(slow, 390.0, 410.0, 1.0);
        // Ends exactly on 400 and starts there next step: it crosses in both steps.
        detector.passCheck(fast, 395.0, 400.0, 1.0);
        detector.passCheck(fast, 400.0, 420.0, 2.0);
        detector.passCheck(atZero, 0.0, 5.0, 1.0);
        detector.passCheck(atEnd, 990.0, 1010.0, 1.0);
        detector.passCheck(atEnd, 1010.0, 1030.0, 2.0);
        detector.tickInterval(60.0);
        detector.tickInterval(60.0);
        detector.finish();
    }

    CSettings settings;
    test::TempDir dir{"tarlo-stdet"};
};

const char* const header = "Time (s),Lane 1,,,,Lane 2,,,,Totals\r\n"
                           " ,0,400,800,1000,0,400,800,1000,0,400,800,1000\r\n";

TEST_F(SpaceTimeDetectorTest, DensityPerLaneAndPositionWithTheirSum) {
    SpaceTimeDensityDetector detector(params(), 0, 400, 1000);
    drive(detector);
    // Lane 1 at 400: 180 veh/h at 64.8 km/h; lane 2 at 0 and 1000: 60 veh/h at 72 km/h.
    EXPECT_EQ(readFile(dir.file("STD_All_Pos_0-1000.csv")),
              std::string(header) +
                  "60,0,2.77778,0,0,0.833333,0,0,0.833333,0.833333,2.77778,0,0.833333\r\n"
                  "120,0,0,0,0,0,0,0,0,0,0,0,0\r\n");
}

TEST_F(SpaceTimeDetectorTest, SpaceMeanSpeedPerLaneAndPositionWithTheirMeanOverAllLanes) {
    SpaceTimeSMSDetector detector(params(), 0, 400, 1000);
    drive(detector);
    EXPECT_EQ(readFile(dir.file("STSMS_All_Pos_0-1000.csv")),
              std::string(header) + "60,0,64.8,0,0,72,0,0,72,36,32.4,0,36\r\n"
                                    "120,0,0,0,0,0,0,0,0,0,0,0,0\r\n");
}

// The header lists the direction positions under each lane and the totals; the file name
// keeps the entered first and last.
TEST_F(SpaceTimeDetectorTest, HeadersListTheDirectionPositions) {
    struct Case {
        bool positive;
        int first, spacing, last;
        const char* name;
        const char* expected;
    };
    const Case cases[] = {
        {true, 0, 300, 1000, "STD_All_Pos_0-1000.csv",
         "Time (s),Lane 1,,,,,Totals\r\n ,0,300,600,900,1000,0,300,600,900,1000\r\n"},
        {false, 0, 400, 1000, "STD_All_Neg_0-1000.csv",
         "Time (s),Lane 1,,,,Totals\r\n ,3000,2600,2200,2000,3000,2600,2200,2000\r\n"},
        {true, 500, 100, 500, "STD_All_Pos_500-500.csv", "Time (s),Lane 1,Totals\r\n ,500,500\r\n"},
        {true, 700, 100, 500, "STD_All_Pos_700-500.csv", "Time (s),Lane 1,Totals\r\n ,500,500\r\n"},
    };
    for (const Case& c : cases) {
        { SpaceTimeDensityDetector detector(params(1, c.positive), c.first, c.spacing, c.last); }
        EXPECT_EQ(readFile(dir.file(c.name)), c.expected) << c.name;
    }
}

TEST_F(SpaceTimeDetectorTest, NegativeDirectionCountsAtTheMirroredPositions) {
    SpaceTimeSMSDetector detector(params(1, false), 0, 400, 1000);
    Vehicle v = vehicle(2, 10.0); // road lane 2 of 2, negative: direction lane 1
    v.dirPositive = false;
    detector.passCheck(v, 2590.0, 2610.0, 1.0); // global 400
    detector.tickInterval(60.0);
    detector.finish();
    EXPECT_EQ(readFile(dir.file("STSMS_All_Neg_0-1000.csv")),
              "Time (s),Lane 1,,,,Totals\r\n ,3000,2600,2200,2000,3000,2600,2200,2000\r\n"
              "60,0,36,0,0,0,36,0,0\r\n");
}

// The positions of a row are found from the spacing, not searched; the last gap of a row
// may be shorter, at the far end in the positive direction and at the near end in the
// negative one. Every move of a sweep, across and next to each position, gathers exactly
// the positions with p0 <= P <= p1.
TEST_F(SpaceTimeDetectorTest, AMoveGathersExactlyThePositionsItSpans) {
    for (const bool positive : {true, false}) {
        SpaceTimeDensityDetector detector(params(1, positive), 0, 400, 1000);
        Vehicle v = vehicle(positive ? 1 : 2, 10.0);
        v.dirPositive = positive;
        std::vector<std::size_t> expected(detector.positions().size(), 0);
        for (double p0 = -50.0; p0 <= 3050.0; p0 += 12.5) {
            for (const double length : {0.0, 12.5, 400.0, 950.0}) {
                const double p1 = p0 + length;
                detector.passCheck(v, p0, p1, 1.0);
                for (std::size_t j = 0; j < expected.size(); ++j)
                    if (p0 <= detector.positions()[j] && detector.positions()[j] <= p1)
                        ++expected[j];
            }
        }
        for (std::size_t j = 0; j < expected.size(); ++j)
            EXPECT_EQ(detector.crossings(j).size(), expected[j])
                << (positive ? "positive" : "negative") << " position " << j;
        detector.finish();
    }
}

// A spacing that is not positive would never end the list of positions: the element
// makes no detector, and no file is written.
TEST_F(SpaceTimeDetectorTest, ANonPositiveSpacingIsRefusedAtCreation) {
    for (int kind : {DETECTOR_ST_DENSITY, DETECTOR_ST_SMS}) {
        for (int spacing : {0, -100}) {
            CStatDetector element;
            element.setDetectorName(kind);
            element.setParamA(0);
            element.setParamB(spacing);
            element.setParamC(1000);
            element.setOutputPath(dir.file(""));
            EXPECT_EQ(makeDetector(element, 2, 3000, nullptr, 101, settings), nullptr)
                << kind << " spacing " << spacing;
        }
        CStatDetector element;
        element.setDetectorName(kind);
        element.setParamA(0);
        element.setParamB(400);
        element.setParamC(1000);
        element.setOutputPath(dir.file(""));
        const auto detector = makeDetector(element, 2, 3000, nullptr, 101, settings);
        ASSERT_NE(detector, nullptr);
        EXPECT_EQ(detector->kind(), kind);
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.file("")),
                            std::filesystem::directory_iterator()),
              2)
        << "only the two accepted detectors wrote files";
}

} // namespace
} // namespace tarlo
