#include "detectors/CStatDetector.h"
#include "detectors/DetectorFactory.h"
#include "detectors/MacroStatsSegDet.h"
#include "detectors/MicroStatsSegDet.h"
#include "detectors/OccupancyDet.h"
#include "project/settings/CSettings.h"
#include "support/TrafficFixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

namespace tarlo {
namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class SegmentDetectorTest : public ::testing::Test {
protected:
    DetectorParams params(int lanes = 2, bool positive = true, int roadLength = 3000,
                          int filter = FILTER_ALL_VEHICLES, double interval = 60.0) const {
        DetectorParams p;
        p.positive = positive;
        p.lanes = lanes;
        p.filter = filter;
        p.interval = interval;
        p.roadLength = roadLength;
        p.outputDir = dir.file("");
        return p;
    }

    // A vehicle of the positive direction on a road of two lanes per direction.
    std::unique_ptr<Vehicle> vehicle(unsigned no, int lane, double speed, double length = 4.0,
                                     bool positive = true) const {
        auto v = std::make_unique<Vehicle>(settings);
        v->vehicleNo = no;
        v->lane = lane;
        v->roadLanes = 4;
        v->dirPositive = positive;
        v->speed = speed;
        v->length = length;
        return v;
    }

    // Moves the vehicle to p1 and tells the detector, as a lane does.
    static void move(Detector& detector, Vehicle& v, double p0, double p1, double t) {
        v.previousPosition = p0;
        v.position = p1;
        detector.passCheck(v, p0, p1, t);
    }

    CSettings settings;
    test::TempDir dir{"tarlo-segdet"};
};

const char* const macroHeader2 =
    " ,Lane 1, ,Lane 2, ,Totals\r\n"
    "Time,Density (veh/km),Space Mean Speed (km/hr),Density (veh/km),Space Mean Speed "
    "(km/hr),Density (veh/km),Space Mean Speed (km/hr)\r\n";

TEST_F(SegmentDetectorTest, MacroWritesDensityAndSpeedOfTheVehiclesInsideAtEachIntervalEnd) {
    MacroStatsSegDet detector(params(), 1000, 1500);
    auto a = vehicle(1, 1, 20.0), b = vehicle(2, 1, 25.0), c = vehicle(3, 1, 30.0),
         d = vehicle(4, 2, 10.0);
    for (Vehicle* v : {a.get(), b.get(), c.get(), d.get()})
        move(detector, *v, 990.0, 1010.0, 1.0);
    detector.tickInterval(60.0);
    // The first vehicle leaves; nothing is cleared at the interval end.
    move(detector, *a, 1495.0, 1500.0, 2.0);
    detector.tickInterval(60.0);
    move(detector, *b, 1490.0, 1510.0, 3.0);
    move(detector, *c, 1490.0, 1510.0, 3.0);
    move(detector, *d, 1490.0, 1510.0, 3.0);
    detector.tickInterval(60.0);
    detector.finish();

    EXPECT_EQ(readFile(dir.file("Macro_All_Pos_1000-1500.csv")), std::string(macroHeader2) +
                                                                     "60,6,90,2,36,8,76.5\r\n"
                                                                     "120,4,99,2,36,6,78\r\n"
                                                                     "180,0,0,0,0,0,0\r\n");
}

TEST_F(SegmentDetectorTest, NegativeDirectionWatchesTheMirroredStretchUnderTheEnteredName) {
    MacroStatsSegDet detector(params(1, false), 1000, 1500);
    EXPECT_EQ(detector.entry(), 1500);
    EXPECT_EQ(detector.exit(), 2000);
    auto v = vehicle(1, 4, 20.0, 4.0, false);
    move(detector, *v, 1000.0, 1400.0, 1.0);
    EXPECT_TRUE(detector.vehicles().empty());
    move(detector, *v, 1400.0, 1600.0, 2.0);
    EXPECT_EQ(detector.vehicles().size(), 1u);
    detector.tickInterval(60.0);
    move(detector, *v, 1600.0, 2000.0, 3.0);
    EXPECT_TRUE(detector.vehicles().empty());
    detector.finish();
    EXPECT_EQ(readFile(dir.file("Macro_All_Neg_1000-1500.csv")),
              " ,Lane 1, ,Totals\r\n"
              "Time,Density (veh/km),Space Mean Speed (km/hr),Density (veh/km),Space Mean "
              "Speed (km/hr)\r\n"
              "60,2,72,2,72\r\n");
}

// Which moves leave a vehicle inside the segment 100-200: the entry and the exit count
// when a move ends exactly on them, and a vehicle carried through the whole segment in one
// step is never inside it at an interval end, so it is not listed.
TEST_F(SegmentDetectorTest, CrossingsExactlyAtTheEntryAndTheExit) {
    struct Case {
        const char* what;
        std::vector<std::pair<double, double>> moves;
        std::size_t inside;
    };
    const Case cases[] = {
        {"ends exactly on the entry", {{90, 100}}, 1},
        {"starts on the entry again next step", {{90, 100}, {100, 110}}, 1},
        {"stops short of the entry", {{80, 99.99}}, 0},
        {"ends exactly on the exit", {{90, 110}, {190, 200}}, 0},
        {"stops short of the exit", {{90, 110}, {190, 199.99}}, 1},
        {"whole segment in one step", {{90, 210}}, 0},
        {"from before the entry exactly to the exit", {{90, 200}}, 0},
        {"from the entry exactly to the exit", {{100, 200}}, 0},
        {"starts on the exit", {{200, 210}}, 0},
    };
    for (const Case& c : cases) {
        for (int kind : {DETECTOR_MACRO_SEGMENT, DETECTOR_MICRO_SEGMENT}) {
            std::unique_ptr<SegmentDetector> detector;
            if (kind == DETECTOR_MACRO_SEGMENT)
                detector = std::make_unique<MacroStatsSegDet>(params(1), 100, 200);
            else
                detector = std::make_unique<MicroStatsSegDet>(params(1), 100, 200);
            auto v = vehicle(1, 1, 20.0);
            double t = 0.0;
            for (auto [p0, p1] : c.moves)
                move(*detector, *v, p0, p1, t += 1.0);
            EXPECT_EQ(detector->vehicles().size(), c.inside) << c.what << ", kind " << kind;
        }
    }
}

TEST_F(SegmentDetectorTest, ZeroLengthSegmentListsNobodyAndWritesZeros) {
    MacroStatsSegDet detector(params(1), 500, 500);
    auto v = vehicle(1, 1, 20.0);
    move(detector, *v, 490.0, 500.0, 1.0);
    move(detector, *v, 500.0, 510.0, 2.0);
    EXPECT_TRUE(detector.vehicles().empty());
    detector.tickInterval(60.0);
    detector.finish();
    EXPECT_EQ(readFile(dir.file("Macro_All_Pos_500-500.csv")),
              " ,Lane 1, ,Totals\r\n"
              "Time,Density (veh/km),Space Mean Speed (km/hr),Density (veh/km),Space Mean "
              "Speed (km/hr)\r\n"
              "60,0,0,0,0\r\n");
}

TEST_F(SegmentDetectorTest, FilterKeepsOtherVehiclesOutButTheirExitIsHarmless) {
    MacroStatsSegDet detector(params(1, true, 3000, FILTER_ALL_TRUCKS), 100, 200);
    auto car = vehicle(1, 1, 20.0);
    auto truck = vehicle(2, 1, 20.0);
    truck->vehicleClass = 2;
    move(detector, *car, 90.0, 110.0, 1.0);
    move(detector, *truck, 90.0, 110.0, 1.0);
    move(detector, *car, 190.0, 210.0, 2.0);
    ASSERT_EQ(detector.vehicles().size(), 1u);
    EXPECT_EQ(detector.vehicles()[0], truck.get());
    EXPECT_TRUE(std::filesystem::exists(dir.file("Macro_Trucks_Pos_100-200.csv")));
}

const char* const microHeader =
    "Time,Vehicle ID,Type,Lane,Length (m),Position (m),Gap (m),Front Vehicle ID,"
    "Velocity (km/h),Acceleration (m/s2)\r\n";

TEST_F(SegmentDetectorTest, MicroWritesOneRowPerVehicleInsideTheLatestFirst) {
    MicroStatsSegDet detector(params(), 100, 300);
    auto truck = vehicle(7, 1, 20.0, 12.5);
    truck->vehicleClass = 2;
    truck->accel = 0.5;
    auto car = vehicle(9, 1, 25.0);
    car->leader = truck.get();
    car->gap = 87.5;
    car->accel = -1.25;
    move(detector, *truck, 95.0, 105.0, 1.0);
    move(detector, *car, 95.0, 105.0, 5.0);
    truck->position = 250.0;
    car->position = 150.0;
    detector.tickInterval(60.0);
    move(detector, *truck, 290.0, 310.0, 61.0);
    move(detector, *car, 290.0, 310.0, 62.0);
    detector.tickInterval(60.0);
    detector.finish();

    EXPECT_EQ(readFile(dir.file("Micro_All_Pos_100-300.csv")),
              std::string(microHeader) + "60,9,1,1,4,150,87.5,7,90,-1.25\r\n"
                                         "60,7,3,1,12.5,250,0,0,72,0.5\r\n"
                                         "120\r\n");
}

TEST_F(SegmentDetectorTest, MicroNumbersTheLanesOfTheNegativeDirectionFromTheInside) {
    MicroStatsSegDet detector(params(2, false, 1000), 100, 300);
    auto v = vehicle(3, 3, 10.0, 4.0, false); // road lane 3 of 4: direction lane 2
    move(detector, *v, 690.0, 710.0, 1.0);
    detector.tickInterval(60.0);
    detector.finish();
    EXPECT_EQ(readFile(dir.file("Micro_All_Neg_100-300.csv")),
              std::string(microHeader) + "60,3,1,2,4,710,0,0,36,0\r\n");
}

// The rows are written before the lanes renew the leaders: a vehicle whose leader left the
// road in the step before still points at it. The row gives the number of the vehicle it
// was following without reading it (AddressSanitizer would report the read), and the
// renewed leader afterwards.
TEST_F(SegmentDetectorTest, MicroNeverReadsALeaderThatLeftTheRoad) {
    MicroStatsSegDet detector(params(1, true, 1000), 900, 1000);
    auto leader = vehicle(5, 1, 20.0);
    auto follower = vehicle(6, 1, 20.0);
    auto other = vehicle(8, 1, 20.0);
    follower->leader = leader.get();
    follower->gap = 20.0;
    move(detector, *follower, 890.0, 910.0, 1.0);
    detector.vehicleLeaving(*leader); // the lane destroys it past the road end
    leader.reset();
    detector.tickInterval(60.0);
    // The next acceleration pass renews the leader; the follower's move sees it.
    follower->leader = nullptr;
    follower->gap = 0.0;
    move(detector, *follower, 910.0, 930.0, 61.0);
    detector.tickInterval(60.0);
    follower->leader = other.get();
    move(detector, *follower, 930.0, 950.0, 121.0);
    detector.tickInterval(60.0);
    detector.finish();

    EXPECT_EQ(readFile(dir.file("Micro_All_Pos_900-1000.csv")), std::string(microHeader) +
                                                                    "60,6,1,1,4,910,20,5,72,0\r\n"
                                                                    "120,6,1,1,4,930,0,0,72,0\r\n"
                                                                    "180,6,1,1,4,950,0,8,72,0\r\n");
}

// Once the lanes have renewed the follower's leader, the record of the departed one goes:
// a vehicle that later comes to stand where it was kept in memory is written as itself.
TEST_F(SegmentDetectorTest, MicroForgetsADepartedLeaderOnceTheLeaderIsRenewed) {
    MicroStatsSegDet detector(params(1, true, 1000), 900, 1000);
    auto leader = vehicle(5, 1, 20.0);
    auto follower = vehicle(6, 1, 20.0);
    follower->leader = leader.get();
    move(detector, *follower, 890.0, 910.0, 1.0);
    detector.vehicleLeaving(*leader);
    detector.tickInterval(60.0);
    follower->leader = nullptr;
    move(detector, *follower, 910.0, 930.0, 61.0);
    detector.tickInterval(60.0);
    // A new vehicle in the departed leader's memory becomes the leader.
    leader->vehicleNo = 9;
    follower->leader = leader.get();
    move(detector, *follower, 930.0, 950.0, 121.0);
    detector.tickInterval(60.0);
    detector.finish();

    EXPECT_EQ(readFile(dir.file("Micro_All_Pos_900-1000.csv")), std::string(microHeader) +
                                                                    "60,6,1,1,4,910,0,5,72,0\r\n"
                                                                    "120,6,1,1,4,930,0,0,72,0\r\n"
                                                                    "180,6,1,1,4,950,0,9,72,0\r\n");
}

TEST_F(SegmentDetectorTest, AVehicleThatLeavesTheRoadIsUnlistedByEveryKind) {
    MacroStatsSegDet macro(params(1, true, 1000), 900, 2000);
    MicroStatsSegDet micro(params(1, true, 1000), 900, 2000);
    auto v = vehicle(1, 1, 20.0);
    for (SegmentDetector* detector :
         {static_cast<SegmentDetector*>(&macro), static_cast<SegmentDetector*>(&micro)}) {
        move(*detector, *v, 890.0, 1011.0, 1.0);
        ASSERT_EQ(detector->vehicles().size(), 1u);
        detector->vehicleLeaving(*v);
        EXPECT_TRUE(detector->vehicles().empty());
    }
}

// Occupancy: a run of one-second steps; the sim time of step k is k. Each step first
// advances the interval clock, then moves the vehicles.
class OccupancyTest : public SegmentDetectorTest {
protected:
    struct Mover {
        Vehicle* vehicle;
        double position;
    };

    void run(OccupancyDet& detector, std::vector<Mover>& movers, int fromStep, int toStep) {
        for (int k = fromStep; k <= toStep; ++k) {
            detector.tickInterval(1.0);
            for (Mover& m : movers) {
                const double p0 = m.position;
                m.position += m.vehicle->speed;
                move(detector, *m.vehicle, p0, m.position, k);
            }
        }
    }
};

TEST_F(OccupancyTest, ALaneOccupiedForAWholeIntervalWritesOneAndStaysOccupied) {
    OccupancyDet detector(params(1, true, 6000), 100, 5000);
    auto v = vehicle(1, 1, 10.0);
    std::vector<Mover> movers{{v.get(), 95.0}};
    run(detector, movers, 1, 120);
    detector.finish();
    // The front crossed the entry at 0.5 s; the first write comes at the start of step 60,
    // when the latest move was that of step 59.
    EXPECT_EQ(readFile(dir.file("Occup_All_Pos_100-5000.csv")),
              "Occupancy\r\nTime,Lane 1\r\n60,0.975\r\n120,1\r\n");
}

TEST_F(OccupancyTest, APeriodEndsWhenTheRearCrossesTheExit) {
    OccupancyDet detector(params(1, true, 6000, FILTER_ALL_VEHICLES, 20.0), 100, 200);
    auto v = vehicle(1, 1, 10.0, 10.0);
    std::vector<Mover> movers{{v.get(), 95.0}};
    run(detector, movers, 1, 40);
    detector.finish();
    // Front at the entry at 0.5 s, rear at the exit at 11.5 s.
    EXPECT_EQ(readFile(dir.file("Occup_All_Pos_100-200.csv")),
              "Occupancy\r\nTime,Lane 1\r\n20,0.55\r\n40,0\r\n");
}

TEST_F(OccupancyTest, AVehicleCarriedThroughTheSegmentInOneStepOccupiesItForPartOfTheStep) {
    OccupancyDet detector(params(1, true, 6000, FILTER_ALL_VEHICLES, 10.0), 100, 110);
    auto v = vehicle(1, 1, 20.0, 10.0);
    move(detector, *v, 90.0, 140.0, 10.0); // front at 100 at 8 s, rear at 110 at 9 s
    EXPECT_FALSE(detector.occupied(1));
    EXPECT_DOUBLE_EQ(detector.occupiedTime(1), 1.0);
    detector.tickInterval(10.0);
    detector.finish();
    EXPECT_EQ(readFile(dir.file("Occup_All_Pos_100-110.csv")),
              "Occupancy\r\nTime,Lane 1\r\n10,0.1\r\n");
}

TEST_F(OccupancyTest, OverlappingVehiclesMakeOnePeriodFromTheFirstEntryToTheLastExit) {
    OccupancyDet detector(params(1, true, 6000, FILTER_ALL_VEHICLES, 40.0), 100, 200);
    auto first = vehicle(1, 1, 10.0, 10.0);
    auto second = vehicle(2, 1, 10.0, 10.0);
    std::vector<Mover> movers{{first.get(), 95.0}, {second.get(), 45.0}};
    run(detector, movers, 1, 40);
    detector.finish();
    // 0.5 s to 16.5 s.
    EXPECT_EQ(readFile(dir.file("Occup_All_Pos_100-200.csv")),
              "Occupancy\r\nTime,Lane 1\r\n40,0.4\r\n");
}

TEST_F(OccupancyTest, ALaneChangeMovesTheOccupationToTheNewLane) {
    OccupancyDet detector(params(2, true, 6000, FILTER_ALL_VEHICLES, 20.0), 100, 1000);
    auto v = vehicle(1, 1, 10.0);
    std::vector<Mover> movers{{v.get(), 95.0}};
    run(detector, movers, 1, 9);
    v->lane = 2; // changes lanes before the moves of step 10
    run(detector, movers, 10, 20);
    EXPECT_TRUE(detector.occupied(2));
    EXPECT_FALSE(detector.occupied(1));
    detector.finish();
    // Lane 1 from 0.5 s to 10 s, lane 2 from 10 s to the latest move at 19 s.
    EXPECT_EQ(readFile(dir.file("Occup_All_Pos_100-1000.csv")),
              "Occupancy\r\nTime,Lane 1,Lane 2\r\n20,0.475,0.45\r\n");
}

// The update after a change runs at the direction's next move, wherever that vehicle is.
// In lane 1 of the segment 100-110 a car drives through a 20 m truck (as in
// constant-velocity mode) so that its rear passes the exit first; only the list's front,
// the truck, is looked at until the truck's rear passes in step 4. A far vehicle moves
// next: its update takes the car out, as the car's rear passed the exit by its step-3
// position (126 - 4 at 10 m/s), at 4 - 1.2 = 2.8 s. Skipping the far move would end the
// period one second earlier, at the car's own move.
TEST_F(OccupancyTest, AFarMoveAfterAChangeRunsTheUpdate) {
    OccupancyDet detector(params(2, true, 6000, FILTER_ALL_VEHICLES, 10.0), 100, 110);
    auto truck = vehicle(1, 1, 10.0, 20.0), car = vehicle(2, 1, 10.0), far = vehicle(3, 2, 10.0);
    std::vector<Mover> movers{{truck.get(), 95.0}, {far.get(), 4000.0}, {car.get(), 96.0}};
    run(detector, movers, 1, 4);
    EXPECT_FALSE(detector.occupied(1));
    // From the truck's entry at 0.5 s.
    EXPECT_NEAR(detector.occupiedTime(1), 2.8 - 0.5, 1e-9);
}

// Every step's first move runs the update, wherever it is, so an occupied period held by
// a vehicle that does not move lasts until the latest step in which anything moved.
TEST_F(OccupancyTest, AStandingVehicleHoldsItsLaneUntilTheLatestMoveOfTheDirection) {
    OccupancyDet detector(params(2, true, 6000, FILTER_ALL_VEHICLES, 20.0), 100, 200);
    auto standing = vehicle(1, 1, 10.0), far = vehicle(2, 2, 10.0);
    detector.tickInterval(1.0);
    move(detector, *standing, 95.0, 105.0, 1.0); // front at the entry at 0.5 s
    std::vector<Mover> movers{{far.get(), 4000.0}};
    run(detector, movers, 2, 20);
    detector.finish();
    // The write at the start of step 20 sees the far move of step 19.
    EXPECT_EQ(readFile(dir.file("Occup_All_Pos_100-200.csv")),
              "Occupancy\r\nTime,Lane 1,Lane 2\r\n20,0.925,0\r\n");
}

// A vehicle longer than the stretch from the exit to the removal point is destroyed
// before its rear passes the exit: its occupation ends there and the detector keeps no
// reference to it (AddressSanitizer would report a later read).
TEST_F(OccupancyTest, AVehicleDestroyedBeforeItsRearPassesTheExitEndsItsOccupation) {
    OccupancyDet detector(params(1, true, 1000, FILTER_ALL_VEHICLES, 20.0), 900, 1000);
    auto longVehicle = vehicle(1, 1, 10.0, 30.0);
    auto other = vehicle(2, 1, 10.0);
    std::vector<Mover> movers{{longVehicle.get(), 895.0}, {other.get(), 0.0}};
    run(detector, movers, 1, 12); // the front passes 1010 at step 12, the rear is at 985
    detector.vehicleLeaving(*longVehicle);
    longVehicle.reset();
    movers.erase(movers.begin());
    run(detector, movers, 13, 20);
    EXPECT_FALSE(detector.occupied(1));
    detector.finish();
    // From 0.5 s to the removal at 12 s.
    EXPECT_EQ(readFile(dir.file("Occup_All_Pos_900-1000.csv")),
              "Occupancy\r\nTime,Lane 1\r\n20,0.575\r\n");
}

} // namespace
} // namespace tarlo
