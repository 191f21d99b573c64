#include "detectors/CompositionDetector.h"
#include "detectors/FlowDensityDetector.h"
#include "detectors/HeadwayDetector.h"
#include "detectors/OutputDetector.h"
#include "engine/Direction.h"
#include "project/settings/CSettings.h"
#include "support/TrafficFixture.h"
#include "vehicles/CVehicleTypes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace tarlo {
namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A CASTOR record of a scripted vehicle (15 t, 4 m, axles of 6 t and 9 t 4.5 m apart)
// crossing at 00:00:ss.hh of day 1.
std::string castor(unsigned second, unsigned hundredths, unsigned speedDm, int direction,
                   int lane) {
    char fixed[64];
    std::snprintf(fixed, sizeof fixed, "1001 1 1 0 0 0%2u%2u%3u 150 402%1d%1d  0 6045 90 0", second,
                  hundredths, speedDm, direction, lane);
    std::string record = fixed;
    for (int slot = 2; slot < 8; ++slot)
        record += "  0 0";
    return record + "  0\r\n";
}

// One direction of two 200 m lanes driven step by step at constant speeds; a scripted
// vehicle enters at the start of a chosen step.
class ScriptedRoad : public ::testing::Test {
protected:
    static constexpr double dt = 0.5;
    static constexpr int L = 200;

    struct Entry {
        int step;
        int lane; // direction lane
        double speed;
        int vehicleClass;
        unsigned number;
    };

    DetectorParams params(int filter = FILTER_ALL_VEHICLES, double interval = 10.0,
                          bool positive = true) const {
        DetectorParams p;
        p.positive = positive;
        p.lanes = 2;
        p.filter = filter;
        p.interval = interval;
        p.roadLength = L;
        p.outputDir = dir.file("");
        return p;
    }

    // Road lanes: the positive direction holds 1 and 2, the negative one 3 and 4.
    void drive(const std::vector<Detector*>& detectors, const std::vector<Entry>& entries,
               int steps, bool positive = true) {
        Direction direction;
        direction.timeStep = dt;
        direction.length = L;
        direction.positive = positive;
        direction.allowLaneChanging = false;
        direction.init(settings, positive ? 0 : 2, {L, L}, {}, detectors);
        for (int k = 0; k < steps; ++k) {
            for (const Entry& entry : entries) {
                if (entry.step != k)
                    continue;
                const int arrayIndex = positive ? entry.lane - 1 : 2 - entry.lane;
                direction.lanes[arrayIndex].appendVehicle(makeVehicle(entry, positive));
            }
            direction.update(k * dt);
        }
        for (Detector* detector : detectors)
            detector->finish();
    }

    std::unique_ptr<Vehicle> makeVehicle(const Entry& entry, bool positive) const {
        auto v = std::make_unique<Vehicle>(settings);
        v->constVelocity = true;
        v->speed = entry.speed;
        v->dirPositive = positive;
        v->direction = positive ? 1 : 2;
        v->roadLanes = 4;
        v->lane = positive ? entry.lane : 4 + 1 - entry.lane;
        v->roadLength = L;
        v->vehicleNo = entry.number;
        v->vehicleClass = entry.vehicleClass;
        v->head = 1001;
        v->gvw = 147.15;
        v->length = 4.0;
        v->axles[0].weight = 58.86;
        v->axles[0].spacing = 4.5;
        v->axles[1].weight = 88.29;
        v->axles[1].position = 4.5;
        return v;
    }

    // Crossings of x = 100 (direction position 100), each lane's vehicles 12 (lane 1) and
    // 12.5 (lane 2) steps after they enter:
    //   B  lane 2, 24 m/s, class 2: step 8,  t 4, crossed at 3.667
    //   A  lane 1, 16 m/s, class 0: step 12, t 6, crossed at 5.75
    //   E  lane 2, 24 m/s, class 3: step 12, t 6, crossed at 5.667 (before A, same step)
    //   A2 lane 1, 16 m/s, class 1: step 16, t 8, crossed at 7.75
    //   A3 lane 1, 16 m/s, class 0: step 32, t 16, crossed at 15.75
    // B, E, A and A2 leave the road before step 30; the 10 s intervals end before steps 19
    // and 39.
    const std::vector<Entry> scenario = {{0, 1, 16.0, 0, 1},
                                         {0, 2, 24.0, 2, 2},
                                         {4, 1, 16.0, 1, 3},
                                         {4, 2, 24.0, 3, 5},
                                         {20, 1, 16.0, 0, 4}};

    CSettings settings;
    test::TempDir dir{"tarlo-point-detectors"};
};

TEST_F(ScriptedRoad, FlowAndDensityFile) {
    FlowDensityDetector detector(params(), 100);
    drive({&detector}, scenario, 40);
    EXPECT_EQ(readFile(dir.file("FD_All_Pos_100.csv")),
              " ,Lane 1, , , ,Lane 2, , , ,Totals\r\n"
              "Time (s),Density (veh/km),Flow (veh/hr),Space Mean Speed (km/h),Time Mean Speed "
              "(km/h),Density (veh/km),Flow (veh/hr),Space Mean Speed (km/h),Time Mean Speed "
              "(km/h),Density (veh/km),Flow (veh/hr),Space Mean Speed (km/h),Time Mean Speed "
              "(km/h)\r\n"
              "10,12.5,720,57.6,57.6,8.33333,720,86.4,86.4,20.8333,1440,72,72\r\n"
              "20,6.25,360,57.6,57.6,0,0,0,0,6.25,360,28.8,28.8\r\n");
}

TEST_F(ScriptedRoad, HeadwayFileKeepsEachLanesLastCrossingAcrossIntervals) {
    HeadwayDetector detector(params(), 100);
    drive({&detector}, scenario, 40);
    // The first headway of a lane counts from time 0; A3's from A2, across the boundary.
    EXPECT_EQ(readFile(dir.file("Head_All_Pos_100.csv")), "Headways (s)\r\n"
                                                          "Lane 1,Lane 2\r\n"
                                                          "5.75,3.66667\r\n"
                                                          "2,2\r\n"
                                                          "8, \r\n");
}

TEST_F(ScriptedRoad, HeadwayRowsPadShorterLanes) {
    HeadwayDetector detector(params(), 100);
    // Lane 1: three crossings; lane 2: one.
    drive({&detector},
          {{0, 1, 16.0, 0, 1}, {2, 1, 16.0, 0, 2}, {4, 1, 16.0, 0, 3}, {0, 2, 24.0, 0, 4}}, 20);
    EXPECT_EQ(readFile(dir.file("Head_All_Pos_100.csv")), "Headways (s)\r\n"
                                                          "Lane 1,Lane 2\r\n"
                                                          "5.75,3.66667\r\n"
                                                          "1, \r\n"
                                                          "1, \r\n");
}

TEST_F(ScriptedRoad, CompositionFilesByFilter) {
    const CVehicleTypes types;
    const struct {
        int filter;
        const char* name;
        const char* rows;
    } cases[] = {
        {FILTER_ALL_VEHICLES, "Comp_All_Pos_100.csv", "10,1,1,1,1,0,0\r\n20,1,0,0,0,0,0\r\n"},
        {FILTER_ALL_TRUCKS, "Comp_Trucks_Pos_100.csv", "10,0,1,1,1,0,0\r\n20,0,0,0,0,0,0\r\n"},
        {FILTER_CARS, "Comp_Car_Pos_100.csv", "10,0,0,0,0,0,0\r\n20,0,0,0,0,0,0\r\n"},
    };
    for (const auto& c : cases) {
        CompositionDetector detector(params(c.filter), 100, &types);
        drive({&detector}, scenario, 40);
        EXPECT_EQ(readFile(dir.file(c.name)),
                  std::string("Time (s),No. Cars,No. Small Trucks,No. Large Trucks,No. Cranes,"
                              "No. Low-Loaders,No. User-defined vehicles\r\n") +
                      c.rows)
            << c.name;
    }
}

TEST_F(ScriptedRoad, OutputFileHoldsEveryCrossingOnceInCrossingOrder) {
    // 15 s intervals: B, E, A and A2 are written after they left the road, A3 after the
    // last completed interval.
    OutputDetector detector(params(FILTER_ALL_VEHICLES, 15.0), 100, FORMAT_CASTOR, settings);
    drive({&detector}, scenario, 40);
    EXPECT_EQ(readFile(dir.file("Veh_All_Pos_100.txt")),
              castor(3, 66, 240, 1, 2) + castor(5, 66, 240, 1, 2) + castor(5, 75, 160, 1, 1) +
                  castor(7, 75, 160, 1, 1) + castor(15, 75, 160, 1, 1));
}

TEST_F(ScriptedRoad, DetectorsOfOneDirectionRunSideBySide) {
    FlowDensityDetector flow(params(), 100);
    OutputDetector output(params(FILTER_LARGE_TRUCKS), 100, FORMAT_CASTOR, settings);
    drive({&flow, &output}, scenario, 40);
    EXPECT_EQ(readFile(dir.file("Veh_LT_Pos_100.txt")), castor(3, 66, 240, 1, 2));
    EXPECT_NE(readFile(dir.file("FD_All_Pos_100.csv")).find("\r\n10,12.5,720,"), std::string::npos);
}

TEST_F(ScriptedRoad, NegativeDirectionOutputWatchesTheMirroredPosition) {
    // x = 50 is direction position 150; a vehicle of road lane 4 is in its direction's
    // lane 1, as the traffic file numbers it.
    OutputDetector detector(params(FILTER_ALL_VEHICLES, 10.0, false), 50, FORMAT_CASTOR, settings);
    EXPECT_EQ(detector.trafficFileName(), dir.file("Veh_All_Neg_50.txt"));
    drive({&detector}, {{0, 1, 24.0, 0, 1}}, 20, false);
    EXPECT_EQ(readFile(dir.file("Veh_All_Neg_50.txt")), castor(5, 75, 240, 2, 1));
}

class OutputCrossings : public ScriptedRoad {
protected:
    // Moves the vehicle from p0 to p1 at speed v and runs the pass check at t.
    void move(Detector& detector, Vehicle& vehicle, double p0, double p1, double v, double t) {
        vehicle.previousPosition = p0;
        vehicle.position = p1;
        vehicle.speed = v;
        detector.passCheck(vehicle, p0, p1, t);
    }
};

TEST_F(OutputCrossings, AVehicleStandingOnThePositionIsWrittenOnce) {
    OutputDetector detector(params(), 100, FORMAT_CASTOR, settings);
    auto vehicle = makeVehicle({0, 1, 0.0, 0, 1}, true);
    move(detector, *vehicle, 96.0, 100.0, 8.0, 3.0);  // ends on the position
    move(detector, *vehicle, 100.0, 100.0, 0.0, 3.5); // stands there
    move(detector, *vehicle, 100.0, 100.0, 0.0, 4.0);
    move(detector, *vehicle, 100.0, 104.0, 8.0, 4.5);
    EXPECT_EQ(detector.waitingCount(), 1u);
    detector.finish();
    EXPECT_EQ(readFile(dir.file("Veh_All_Pos_100.txt")), castor(3, 0, 80, 1, 1));
}

TEST_F(OutputCrossings, AtTheEntranceEveryVehicleCountsAtItsFirstMove) {
    OutputDetector detector(params(), 0, FORMAT_CASTOR, settings);
    auto vehicle = makeVehicle({0, 1, 0.0, 0, 1}, true);
    move(detector, *vehicle, 0.0, 0.0, 0.0, 1.0); // held at the entrance
    move(detector, *vehicle, 0.0, 5.0, 10.0, 1.5);
    move(detector, *vehicle, 5.0, 10.0, 10.0, 2.0);
    detector.finish();
    EXPECT_EQ(readFile(dir.file("Veh_All_Pos_0.txt")), castor(1, 0, 100, 1, 1));
}

TEST_F(OutputCrossings, TheFormatCodeChoosesTheWriter) {
    const struct {
        int format;
        std::size_t recordLength;
    } cases[] = {{FORMAT_SAFT, 43}, {FORMAT_CASTOR, 77}, {FORMAT_KIRRO, 152}, {7, 152}};
    for (const auto& c : cases) {
        {
            OutputDetector detector(params(), 100, c.format, settings);
            auto vehicle = makeVehicle({0, 1, 0.0, 0, 1}, true);
            move(detector, *vehicle, 96.0, 104.0, 8.0, 3.0);
        } // a run stopped early still writes what waits
        EXPECT_EQ(readFile(dir.file("Veh_All_Pos_100.txt")).size(), c.recordLength + 2) << c.format;
    }
}

TEST_F(OutputCrossings, AFolderThatDoesNotExistDropsTheRecords) {
    DetectorParams p = params();
    p.outputDir = dir.file("missing/");
    OutputDetector detector(p, 100, FORMAT_CASTOR, settings);
    auto vehicle = makeVehicle({0, 1, 0.0, 0, 1}, true);
    move(detector, *vehicle, 96.0, 104.0, 8.0, 3.0);
    detector.writeInterval();
    detector.finish();
    EXPECT_EQ(detector.waitingCount(), 0u);
}

} // namespace
} // namespace tarlo
