#include "detectors/LaneChangeDetector.h"
#include "detectors/CStatDetector.h"
#include "detectors/DetectorFactory.h"
#include "project/settings/CSettings.h"
#include "support/TrafficFixture.h"
#include "vehicles/CVehicleTypes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace tarlo {
namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class LaneChangeDetectorTest : public ::testing::Test {
protected:
    DetectorParams params(int filter = FILTER_ALL_VEHICLES, int roadLength = 3000) const {
        DetectorParams p;
        p.lanes = 2;
        p.filter = filter;
        p.interval = 60.0;
        p.roadLength = roadLength;
        p.outputDir = dir.file("");
        return p;
    }

    // A change of a vehicle of the given class, as a lane reports it.
    LaneChangeEvent event(double time, int x, int from, int to, int vehicleClass) const {
        Vehicle v(settings);
        v.vehicleClass = vehicleClass;
        v.lane = to;
        v.roadLanes = 2;
        return LaneChangeEvent(x, from, to, to > from, time, v);
    }

    std::string file(const char* prefix, const char* vt = "All") const {
        return readFile(dir.file(std::string(prefix) + vt + "_Pos.csv"));
    }

    CSettings settings;
    CVehicleTypes types;
    test::TempDir dir{"tarlo-lcdet"};
};

const char* const verboseHeader = "LANE CHANGE - VERBOSE OUTPUT OF EVENTS\r\n"
                                  "Time,Position,From Lane,To Lane,Right/Left,Type\r\n"
                                  "\r\n";
const char* const compositionHeader =
    "LANE CHANGE - COMPOSITION OF EVENTS\r\n"
    "Time Interval,Car Changes,SmallTr Changes,LargeTr Changes,Crane Changes,LowLoad "
    "Changes,User Def. Veh. Changes\r\n";
const char* const spaceTimeHeader = "LANE CHANGE - SPACE TIME OF EVENTS\r\n"
                                    "Left To Right,,Right To Left\r\n"
                                    "Time (s),Location (m),Time (s),Location (m)\r\n";
const char* const ratesHeader = "LANE CHANGE - RATES BY LOCATION AND TIME\r\n"
                                "Time (s),Location (m)\r\n"
                                ",0,1000,2000,3000,\r\n";

TEST_F(LaneChangeDetectorTest, WritesTheFourFilesPerInterval) {
    LaneChangeDetector detector(params(), 1000, &types);
    detector.recordEvent(event(12.5, 800, 1, 2, 0));
    detector.recordEvent(event(30.25, 1500, 2, 1, 2));
    detector.recordEvent(event(45.0, 2999, 2, 1, 3));
    detector.tickInterval(60.0);
    detector.recordEvent(event(70.0, 10, 1, 2, 5));
    detector.tickInterval(60.0);
    // Recorded after the last completed interval: never written.
    detector.recordEvent(event(125.0, 20, 1, 2, 0));
    detector.finish();

    EXPECT_EQ(file("LC_All_"), std::string(verboseHeader) + "12.50 ,800 ,1 ,2 ,Left ,Car\r\n"
                                                            "30.25 ,1500 ,2 ,1 ,Right ,LargeTr\r\n"
                                                            "45.00 ,2999 ,2 ,1 ,Right ,Crane\r\n"
                                                            "70.00 ,10 ,1 ,2 ,Left ,UserDef\r\n");
    EXPECT_EQ(file("LC_Comp_"),
              std::string(compositionHeader) + "60,1,0,1,1,0,0\r\n120,0,0,0,0,0,1\r\n");
    EXPECT_EQ(file("LC_ST_"), std::string(spaceTimeHeader) + ",,12.5,800\r\n"
                                                             "30.25,1500\r\n"
                                                             "45,2999\r\n"
                                                             ",,70,10\r\n");
    // One change in a 1000 m bin over 60 s is 60 changes per hour and km.
    EXPECT_EQ(file("LC_Rate_"), std::string(ratesHeader) + "60,0,60,60,60\r\n120,0,60,0,0\r\n");
}

TEST_F(LaneChangeDetectorTest, AnIntervalWithoutChangesWritesZeroRows) {
    LaneChangeDetector detector(params(), 1000, &types);
    detector.tickInterval(60.0);
    detector.finish();
    EXPECT_EQ(file("LC_All_"), verboseHeader);
    EXPECT_EQ(file("LC_Comp_"), std::string(compositionHeader) + "60,0,0,0,0,0,0\r\n");
    EXPECT_EQ(file("LC_ST_"), spaceTimeHeader);
    EXPECT_EQ(file("LC_Rate_"), std::string(ratesHeader) + "60,0,0,0,0\r\n");
}

// A change counts in the bin of the first boundary greater than its position. One at or
// beyond the road length has none and counts in the last bin; one before the start of the
// road (the run-out of the negative direction) counts under the boundary 0.
TEST_F(LaneChangeDetectorTest, BinOfAChange) {
    struct Case {
        int roadLength;
        int x;
        const char* row;
    };
    const Case cases[] = {
        {3000, -5, "60,60,0,0,0"},     {3000, 0, "60,0,60,0,0"},    {3000, 999, "60,0,60,0,0"},
        {3000, 1000, "60,0,0,60,0"},   {3000, 1500, "60,0,0,60,0"}, {3000, 2999, "60,0,0,0,60"},
        {3000, 3000, "60,0,0,0,60"},   {3000, 3008, "60,0,0,0,60"}, {3500, 3200, "60,0,0,0,0,60"},
        {3500, 3600, "60,0,0,0,0,60"},
    };
    for (const Case& c : cases) {
        {
            LaneChangeDetector detector(params(FILTER_ALL_VEHICLES, c.roadLength), 1000, &types);
            detector.recordEvent(event(1.0, c.x, 1, 2, 0));
            detector.tickInterval(60.0);
        }
        const std::string rates = file("LC_Rate_");
        const std::size_t header = rates.find("\r\n", rates.find(",0,1000")) + 2;
        EXPECT_EQ(rates.substr(header), std::string(c.row) + "\r\n")
            << "x " << c.x << " on a " << c.roadLength << " m road";
    }
}

TEST_F(LaneChangeDetectorTest, ACarsFilterWritesNoCompositionAndOnlyCarChanges) {
    {
        LaneChangeDetector detector(params(FILTER_CARS), 1000, &types);
        detector.recordEvent(event(5.0, 100, 1, 2, 0));
        detector.recordEvent(event(6.0, 200, 1, 2, 1));
        detector.recordEvent(event(7.0, 2100, 2, 1, 0));
        EXPECT_EQ(detector.eventCount(), 2);
        detector.tickInterval(60.0);
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("LC_Comp_Car_Pos.csv")));
    EXPECT_EQ(file("LC_All_", "Car"), std::string(verboseHeader) +
                                          "5.00 ,100 ,1 ,2 ,Left ,Car\r\n"
                                          "7.00 ,2100 ,2 ,1 ,Right ,Car\r\n");
    EXPECT_EQ(file("LC_ST_", "Car"), std::string(spaceTimeHeader) + ",,5,100\r\n7,2100\r\n");
    EXPECT_EQ(file("LC_Rate_", "Car"), std::string(ratesHeader) + "60,0,60,0,60\r\n");
}

TEST_F(LaneChangeDetectorTest, BoundariesEndAtTheRoadLength) {
    struct Case {
        int roadLength, width;
        std::vector<int> boundaries;
    };
    const Case cases[] = {
        {3000, 1000, {0, 1000, 2000, 3000}},
        {3500, 1000, {0, 1000, 2000, 3000, 3500}},
        {500, 1000, {0, 500}},
    };
    for (const Case& c : cases) {
        LaneChangeDetector detector(params(FILTER_ALL_VEHICLES, c.roadLength), c.width, &types);
        EXPECT_EQ(detector.binBoundaries(), c.boundaries) << c.roadLength << "/" << c.width;
    }
}

// A bin width that is not positive would never reach the road length: the element makes
// no detector, and none of the four files is written.
TEST_F(LaneChangeDetectorTest, ANonPositiveBinWidthIsRefusedAtCreation) {
    for (int width : {0, -1000}) {
        CStatDetector element;
        element.setDetectorName(DETECTOR_LANE_CHANGES);
        element.setParamA(width);
        element.setOutputPath(dir.file(""));
        EXPECT_EQ(makeDetector(element, 2, 3000, &types, 101, settings), nullptr) << width;
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.file("")));

    CStatDetector element;
    element.setDetectorName(DETECTOR_LANE_CHANGES);
    element.setParamA(1000);
    element.setOutputPath(dir.file(""));
    const auto detector = makeDetector(element, 2, 3000, &types, 101, settings);
    ASSERT_NE(detector, nullptr);
    EXPECT_NE(detector->laneChangeRecorder(), nullptr);
}

} // namespace
} // namespace tarlo
