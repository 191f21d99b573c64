#include "detectors/ArrayDetector.h"
#include "detectors/DetectorIndex.h"
#include "detectors/FlowDensityDetector.h"
#include "detectors/LaneChangeEvent.h"
#include "detectors/MacroStatsSegDet.h"
#include "detectors/OccupancyDet.h"
#include "detectors/PointDetector.h"
#include "detectors/SegmentDetector.h"
#include "engine/Direction.h"
#include "engine/IDM.h"
#include "project/settings/CSettings.h"
#include "support/TrafficFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace tarlo {
namespace {

DetectorParams params(bool positive = true, int roadLength = 1000, int filter = 500,
                      double interval = 60.0) {
    DetectorParams p;
    p.positive = positive;
    p.lanes = 2;
    p.filter = filter;
    p.interval = interval;
    p.roadLength = roadLength;
    p.outputDir = "/nonexistent-tarlo-folder/";
    return p;
}

// A point detector that records what reaches it.
class ProbePoint : public PointDetector {
public:
    ProbePoint(const DetectorParams& p, int x) : PointDetector(DETECTOR_FLOW_DENSITY, p, x) {}
    void vehiclePassed(const Vehicle& vehicle, double t) override {
        passed.emplace_back(vehicle.vehicleNo, t);
    }
    void writeInterval() override { written.push_back(endOfIntervalTime()); }
    std::string name(std::string_view prefix, std::string_view tail) const {
        return fileName(prefix, tail);
    }

    std::vector<std::pair<unsigned, double>> passed;
    std::vector<double> written;
};

class ProbeSegment : public SegmentDetector {
public:
    ProbeSegment(const DetectorParams& p, int start, int end, bool everyMove = false)
        : SegmentDetector(DETECTOR_MACRO_SEGMENT, p, start, end) {
        if (everyMove)
            watchEveryMove();
    }
    void update(double t) override { updates.push_back(t); }
    std::vector<double> updates;
};

class ProbeArray : public ArrayDetector {
public:
    ProbeArray(const DetectorParams& p, int first, int spacing, int last)
        : ArrayDetector(DETECTOR_ST_DENSITY, p, first, spacing, last) {}
};

class ProbeLaneChange : public Detector, public LaneChangeRecorder {
public:
    explicit ProbeLaneChange(const DetectorParams& p)
        : Detector(DETECTOR_LANE_CHANGE, DETECTOR_LANE_CHANGES, p) {}
    void recordEvent(const LaneChangeEvent&) override {}
    LaneChangeRecorder* laneChangeRecorder() override { return this; }
};

class FrameworkTest : public ::testing::Test {
protected:
    Vehicle vehicle(unsigned number, int vehicleClass = 0) const {
        Vehicle v(settings);
        v.vehicleNo = number;
        v.vehicleClass = vehicleClass;
        return v;
    }
    CSettings settings;
};

TEST_F(FrameworkTest, IntervalTimerCompletesAtMostOneIntervalPerStep) {
    const struct {
        const char* name;
        double dt, interval;
        int steps;
        std::vector<double> written;
        double sinceOutput;
    } rows[] = {
        {"quarter steps, 1 s intervals", 0.25, 1.0, 9, {1.0, 2.0}, 0.25},
        {"an interval that never elapses writes nothing", 0.5, 60.0, 10, {}, 5.0},
        {"a step longer than the interval", 2.5, 1.0, 3, {1.0, 2.0, 3.0}, 4.5},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ProbePoint probe(params(true, 1000, 500, row.interval), 100);
        for (int i = 0; i < row.steps; ++i)
            probe.tickInterval(row.dt);
        EXPECT_EQ(probe.written, row.written);
        EXPECT_DOUBLE_EQ(probe.elapsedTime(), row.dt * row.steps);
        EXPECT_DOUBLE_EQ(probe.timeSinceOutput(), row.sinceOutput);
        EXPECT_EQ(probe.intervalCount(), static_cast<int>(row.written.size()));
    }
}

TEST_F(FrameworkTest, PointCrossingsIncludeBothEnds) {
    const struct {
        bool positive;
        double p0, p1;
        bool reported;
    } rows[] = {
        {true, 90.0, 99.9, false},
        {true, 90.0, 100.0, true},
        {true, 100.0, 110.0, true},
        {true, 100.0, 100.0, true},
        {true, 100.1, 120.0, false},
        {true, 0.0, 1000.0, true},
        // x = 100 on a 1000 m road is direction position 900 in the negative direction.
        {false, 95.0, 105.0, false},
        {false, 895.0, 900.0, true},
        {false, 900.0, 905.0, true},
    };
    for (const auto& row : rows) {
        ProbePoint probe(params(row.positive), 100);
        probe.passCheck(vehicle(7), row.p0, row.p1, 12.5);
        EXPECT_EQ(probe.passed.size(), row.reported ? 1u : 0u)
            << row.positive << " " << row.p0 << " -> " << row.p1;
        if (row.reported) {
            EXPECT_EQ(probe.passed[0], std::make_pair(7u, 12.5));
        }
    }
}

TEST_F(FrameworkTest, AStepEndingOnThePositionReportsInBothSteps) {
    ProbePoint probe(params(), 100);
    probe.passCheck(vehicle(1), 90.0, 100.0, 1.0);
    probe.passCheck(vehicle(1), 100.0, 110.0, 2.0);
    EXPECT_EQ(probe.passed.size(), 2u);
}

TEST_F(FrameworkTest, VehicleFilterTable) {
    // Accepted classes 0..5 per filter code.
    const struct {
        int filter;
        bool accepts[6];
    } rows[] = {
        {500, {1, 1, 1, 1, 1, 1}}, {501, {0, 1, 1, 1, 1, 1}}, {502, {1, 0, 0, 0, 0, 0}},
        {503, {0, 1, 0, 0, 0, 0}}, {504, {0, 0, 1, 0, 0, 0}}, {505, {0, 0, 0, 1, 0, 0}},
        {506, {0, 0, 0, 0, 1, 0}}, {507, {0, 0, 0, 0, 0, 1}}, {499, {1, 1, 1, 1, 1, 1}},
        {508, {1, 1, 1, 1, 1, 1}},
    };
    for (const auto& row : rows) {
        for (int c = 0; c < 6; ++c) {
            ProbePoint probe(params(true, 1000, row.filter), 100);
            probe.passCheck(vehicle(1, c), 99.0, 101.0, 0.0);
            EXPECT_EQ(!probe.passed.empty(), row.accepts[c]) << row.filter << " class " << c;
        }
    }
}

TEST_F(FrameworkTest, FileNamesCarryFilterDirectionAndGlobalPosition) {
    const std::pair<int, const char*> tokens[] = {{500, "All"}, {501, "Trucks"}, {502, "Car"},
                                                  {503, "ST"},  {504, "LT"},     {505, "Crane"},
                                                  {506, "LL"},  {507, "UDV"},    {42, "All"}};
    for (const auto& [filter, token] : tokens) {
        DetectorParams p = params(true, 3000, filter);
        p.outputDir = "out/";
        EXPECT_EQ(ProbePoint(p, 1000).name("FD_", "1000.csv"),
                  std::string("out/FD_") + token + "_Pos_1000.csv");
    }
    DetectorParams p = params(false, 3000);
    p.outputDir = "m\\";
    const ProbePoint negative(p, 1000);
    EXPECT_EQ(negative.position(), 2000);
    EXPECT_EQ(negative.globalPosition(), 1000);
    EXPECT_EQ(negative.name("FD_", "1000.csv"), "m\\FD_All_Neg_1000.csv");
}

TEST_F(FrameworkTest, SegmentListsVehiclesBetweenEntryAndExit) {
    ProbeSegment segment(params(true, 1000, 502), 100, 200);
    const Vehicle car = vehicle(1, 0), truck = vehicle(2, 2), fast = vehicle(3, 0);
    segment.passCheck(car, 90.0, 110.0, 1.0);
    segment.passCheck(truck, 95.0, 100.0, 1.0); // filtered out
    segment.passCheck(fast, 50.0, 250.0, 1.0);  // through the whole segment in one step
    EXPECT_EQ(segment.vehicles(), std::vector<const Vehicle*>{&car});
    segment.passCheck(car, 150.0, 160.0, 2.0);
    EXPECT_EQ(segment.vehicles().size(), 1u);
    segment.passCheck(car, 195.0, 200.0, 3.0);
    EXPECT_TRUE(segment.vehicles().empty());
    segment.passCheck(car, 200.0, 210.0, 4.0); // left already
    EXPECT_TRUE(segment.vehicles().empty());
    // Moves that reach the segment are followed by update; far ones are not looked at.
    segment.passCheck(car, 300.0, 310.0, 5.0);
    EXPECT_EQ(segment.updates, (std::vector<double>{1.0, 1.0, 1.0, 2.0, 3.0, 4.0}));
}

TEST_F(FrameworkTest, ASegmentListsAVehicleOnceWhenItsStepEndsOnTheEntry) {
    ProbeSegment segment(params(), 100, 200);
    const Vehicle car = vehicle(1);
    segment.passCheck(car, 90.0, 100.0, 1.0);
    segment.passCheck(car, 100.0, 110.0, 2.0);
    segment.passCheck(car, 190.0, 205.0, 3.0);
    EXPECT_TRUE(segment.vehicles().empty());
}

TEST_F(FrameworkTest, SegmentExitNeedsNoFilterAndLeavingTheRoadUnlists) {
    ProbeSegment segment(params(), 100, 200);
    const Vehicle a = vehicle(1), b = vehicle(2);
    segment.passCheck(a, 90.0, 110.0, 1.0);
    segment.passCheck(b, 90.0, 110.0, 1.0);
    segment.vehicleLeaving(a);
    EXPECT_EQ(segment.vehicles(), std::vector<const Vehicle*>{&b});
    segment.vehicleLeaving(a); // absent: nothing happens
    EXPECT_EQ(segment.vehicles().size(), 1u);
}

TEST_F(FrameworkTest, NegativeSegmentWatchesTheMirroredStretch) {
    ProbeSegment segment(params(false, 3000), 1000, 1500);
    EXPECT_EQ(segment.entry(), 1500);
    EXPECT_EQ(segment.exit(), 2000);
    EXPECT_EQ(segment.length(), 500);
    EXPECT_EQ(segment.start(), 1000);
    EXPECT_EQ(segment.end(), 1500);
    const Vehicle car = vehicle(1);
    segment.passCheck(car, 990.0, 1010.0, 1.0);
    EXPECT_TRUE(segment.vehicles().empty());
    segment.passCheck(car, 1490.0, 1510.0, 1.0);
    EXPECT_EQ(segment.vehicles().size(), 1u);
}

TEST_F(FrameworkTest, EveryMoveSegmentsUpdateOnFarMovesToo) {
    ProbeSegment segment(params(), 100, 200, true);
    segment.passCheck(vehicle(1), 500.0, 510.0, 7.0);
    EXPECT_EQ(segment.updates, std::vector<double>{7.0});
}

TEST_F(FrameworkTest, ArrayPositionsAndCrossings) {
    ProbeArray array(params(), 0, 400, 1000);
    EXPECT_EQ(array.positions(), (std::vector<int>{0, 400, 800, 1000}));
    array.passCheck(vehicle(1), 350.0, 800.0, 1.0);
    array.passCheck(vehicle(1), 800.0, 810.0, 2.0);
    array.passCheck(vehicle(2, 1), 0.0, 5.0, 2.0);
    EXPECT_EQ(array.crossings(0).size(), 1u);
    EXPECT_EQ(array.crossings(1).size(), 1u);
    EXPECT_EQ(array.crossings(2).size(), 2u) << "ends on 800, starts on 800";
    EXPECT_EQ(array.crossings(3).size(), 0u);

    ProbeArray negative(params(false, 3000), 0, 400, 1000);
    EXPECT_EQ(negative.positions(), (std::vector<int>{3000, 2600, 2200, 2000}));
    negative.passCheck(vehicle(1), 2150.0, 2650.0, 1.0);
    EXPECT_EQ(negative.crossings(1).size(), 1u);
    EXPECT_EQ(negative.crossings(2).size(), 1u);
    EXPECT_EQ(negative.crossings(0).size() + negative.crossings(3).size(), 0u);

    EXPECT_EQ(ProbeArray(params(), 900, 100, 500).positions(), std::vector<int>{500});
    EXPECT_EQ(ProbeArray(params(), 0, 0, 500).positions(), std::vector<int>{500});
}

TEST_F(FrameworkTest, ArrayCrossingsPassTheFilter) {
    ProbeArray array(params(true, 1000, 501), 0, 400, 1000);
    array.passCheck(vehicle(1, 0), 390.0, 410.0, 1.0);
    array.passCheck(vehicle(2, 4), 390.0, 410.0, 1.0);
    ASSERT_EQ(array.crossings(1).size(), 1u);
    EXPECT_EQ(array.crossings(1)[0].vehicleClass, 4);
}

// A lane checks a move only with the detectors whose positions it spans, through the
// direction's index; they must see exactly what they see when every detector checks every
// move. The moves run along the whole road in steps of several lengths, some ending
// exactly on a position, some spanning several positions or a whole segment.
TEST_F(FrameworkTest, TheDetectorIndexChecksAMoveAsEveryDetectorWould) {
    struct Detectors {
        explicit Detectors(bool positive)
            : point(params(positive, 3000), 1000), segment(params(positive, 3000), 1200, 1264),
              everyMove(params(positive, 3000), 100, 200, true),
              array(params(positive, 3000), 500, 96, 2500), lanes(params(positive, 3000)) {}
        std::vector<Detector*> all() { return {&point, &segment, &everyMove, &array, &lanes}; }
        ProbePoint point;
        ProbeSegment segment;
        ProbeSegment everyMove;
        ProbeArray array;
        ProbeLaneChange lanes;
    };
    for (const bool positive : {true, false}) {
        Detectors indexed(positive), plain(positive);
        DetectorIndex index(indexed.all());
        // A macroscopic segment checked through an index of its own (the every-move probe
        // would hand it every move), and how many vehicles it lists after each move.
        MacroStatsSegDet indexedMacro(params(positive, 3000), 1200, 1264),
            plainMacro(params(positive, 3000), 1200, 1264);
        DetectorIndex macroIndex({&indexedMacro});
        std::vector<std::size_t> indexedInside, plainInside;
        double t = 0.0;
        for (const double step : {0.5, 3.0, 8.0, 32.0, 64.0, 100.0}) {
            // A vehicle of its own for every run along the road, as vehicles only go forwards.
            Vehicle car = vehicle(1), sameCar = vehicle(1);
            for (double p0 = 0.0; p0 < 3010.0; p0 += step) {
                t += 1.0;
                index.passCheck(car, p0, p0 + step, t);
                for (Detector* detector : plain.all())
                    detector->passCheck(car, p0, p0 + step, t);
                macroIndex.passCheck(sameCar, p0, p0 + step, t);
                plainMacro.passCheck(sameCar, p0, p0 + step, t);
                indexedInside.push_back(indexedMacro.vehicles().size());
                plainInside.push_back(plainMacro.vehicles().size());
            }
        }
        EXPECT_EQ(indexed.point.passed, plain.point.passed);
        EXPECT_EQ(indexed.segment.updates, plain.segment.updates);
        EXPECT_EQ(indexed.everyMove.updates, plain.everyMove.updates);
        EXPECT_EQ(indexedInside, plainInside);
        EXPECT_NE(std::count(plainInside.begin(), plainInside.end(), 1u), 0);
        ASSERT_EQ(indexed.array.positions(), plain.array.positions());
        for (std::size_t j = 0; j < plain.array.positions().size(); ++j)
            EXPECT_EQ(indexed.array.crossings(j).size(), plain.array.crossings(j).size()) << j;
        EXPECT_FALSE(plain.point.passed.empty());
    }
}

// A point detector that notes in a shared log which detector heard which move.
class LoggingPoint : public PointDetector {
public:
    LoggingPoint(const DetectorParams& p, int x, std::size_t id,
                 std::vector<std::pair<double, std::size_t>>& log)
        : PointDetector(DETECTOR_FLOW_DENSITY, p, x), m_Id(id), m_Log(log) {}
    void vehiclePassed(const Vehicle& /*vehicle*/, double t) override {
        m_Log.emplace_back(t, m_Id);
    }

private:
    std::size_t m_Id;
    std::vector<std::pair<double, std::size_t>>& m_Log;
};

// A long move reaches several detectors; the index calls each once, in list order, however
// many there are (a word's bits hold the first 64).
TEST_F(FrameworkTest, TheDetectorIndexCallsTheDetectorsAMoveReachesInListOrder) {
    for (const std::size_t count : {std::size_t{5}, std::size_t{70}}) {
        std::vector<std::pair<double, std::size_t>> indexedLog, plainLog;
        std::vector<std::unique_ptr<LoggingPoint>> indexed, plain;
        std::vector<Detector*> indexedList, plainList;
        for (std::size_t k = 0; k < count; ++k) {
            // Listed against the road's order, two at each position.
            const int x = 2900 - static_cast<int>(k / 2) * 20;
            indexed.push_back(std::make_unique<LoggingPoint>(params(true, 3000), x, k, indexedLog));
            plain.push_back(std::make_unique<LoggingPoint>(params(true, 3000), x, k, plainLog));
            indexedList.push_back(indexed.back().get());
            plainList.push_back(plain.back().get());
        }
        const DetectorIndex index(indexedList);
        Vehicle car = vehicle(1);
        double t = 0.0;
        for (double p0 = 0.0; p0 < 3010.0; p0 += 70.0) {
            t += 1.0;
            index.passCheck(car, p0, p0 + 70.0, t);
            for (Detector* detector : plainList)
                detector->passCheck(car, p0, p0 + 70.0, t);
        }
        EXPECT_EQ(indexedLog, plainLog) << count;
        EXPECT_GE(plainLog.size(), count) << count;
    }
}

// The lanes tell an occupancy detector only the moves that can change it: every move while
// it watches every move, and otherwise the crossings of the entry by a front and of the exit
// by a rear. Two identical directions drive the same traffic through two lanes (trucks of
// several lengths, cars overtaking them); the detector of one hears its lanes, the other is
// told every single move by hand in the same order. Their occupied times agree at every
// step, for a long segment and for one shorter than the trucks.
TEST_F(FrameworkTest, AnOccupancyDetectorHearsFromItsLanesWhatEveryMoveWouldTellIt) {
    for (const auto& [start, end] : {std::pair{300, 900}, std::pair{500, 505}}) {
        OccupancyDet heard(params(true, 5000, FILTER_ALL_VEHICLES, 10.0), start, end);
        OccupancyDet told(params(true, 5000, FILTER_ALL_VEHICLES, 10.0), start, end);
        Direction withDetector, without;
        for (Direction* direction : {&withDetector, &without}) {
            direction->timeStep = 0.5;
            direction->init(settings, 0, {5000.0, 5000.0}, {},
                            direction == &withDetector ? std::vector<Detector*>{&heard}
                                                       : std::vector<Detector*>{});
            for (int k = 0; k < 24; ++k) {
                const int lane = k % 3 == 0 ? 1 : 0;
                auto v = std::make_unique<Vehicle>(settings);
                v->vehicleNo = static_cast<unsigned>(k + 1);
                v->lane = lane + 1;
                v->roadLanes = 2;
                v->roadLength = 5000;
                v->length = lane == 0 ? 8.0 + 3.0 * (k % 4) : 4.0;
                v->position = v->previousPosition = 250.0 - 40.0 * (k / 2) - 7.0 * (k % 2);
                v->speed = lane == 0 ? 18.0 : 30.0;
                auto idm = std::make_shared<IDM>(settings);
                idm->T = 1.2;
                idm->a = 1.0;
                idm->b = 2.0;
                idm->s0 = 2.0;
                idm->sqrtAB2 = 2.0 * std::sqrt(idm->a * idm->b);
                idm->v0 = idm->v0Drawn = v->speed + 2.0;
                v->driver = idm;
                direction->lanes[static_cast<std::size_t>(lane)].appendVehicle(std::move(v));
            }
        }
        int stepsDrivenApart = 0;
        int occupiedSteps = 0;
        for (int step = 1; step <= 240; ++step) {
            const double t = 0.5 * step;
            withDetector.update(t);
            told.tickInterval(0.5);
            for (Lane& lane : without.lanes) {
                lane.time = t;
                lane.computeAccelerations();
                lane.considerLaneChanges();
            }
            for (Lane& lane : without.lanes)
                for (const auto& v : lane.vehicles) {
                    const double p0 = v->position;
                    v->updateKinematics(0.5);
                    told.passCheck(*v, p0, v->position, t);
                }
            stepsDrivenApart += static_cast<int>(withDetector.lanes[1].vehicles.size() !=
                                                 without.lanes[1].vehicles.size());
            occupiedSteps += static_cast<int>(told.occupied(1));
            for (int lane = 1; lane <= 2; ++lane) {
                ASSERT_EQ(heard.occupied(lane), told.occupied(lane)) << start << " step " << step;
                ASSERT_EQ(heard.occupiedTime(lane), told.occupiedTime(lane))
                    << start << " step " << step << " lane " << lane;
            }
        }
        EXPECT_EQ(stepsDrivenApart, 0) << "the two directions drove alike";
        EXPECT_NE(withDetector.lanes[1].vehicles.size(), 8u) << "vehicles changed lanes";
        EXPECT_GT(occupiedSteps, 5) << start;
    }
}

TEST_F(FrameworkTest, LanesReportToTheFirstLaneChangeDetectorOfTheirDirection) {
    ProbeLaneChange first(params()), second(params());
    ProbePoint point(params(), 100);
    Direction direction;
    direction.init(settings, 0, {1000.0, 1000.0}, {}, {&point, &first, &second});
    for (const Lane& lane : direction.lanes) {
        EXPECT_TRUE(lane.hasLaneChangeDetector);
        EXPECT_EQ(lane.laneChangeDetector, static_cast<LaneChangeRecorder*>(&first));
        EXPECT_EQ(lane.detectors.size(), 3u);
    }
    Direction without;
    without.init(settings, 0, {1000.0}, {}, {&point});
    EXPECT_FALSE(without.lanes[0].hasLaneChangeDetector);
    EXPECT_EQ(without.lanes[0].laneChangeDetector, nullptr);
}

TEST_F(FrameworkTest, AFileThatCannotBeOpenedDropsItsOutput) {
    FlowDensityDetector detector(params(), 100);
    Vehicle car = vehicle(1);
    car.lane = 1;
    car.speed = 20.0;
    detector.passCheck(car, 90.0, 110.0, 1.0);
    for (int i = 0; i < 121; ++i)
        detector.tickInterval(1.0);
    detector.finish();
    EXPECT_EQ(detector.intervalCount(), 2);
    EXPECT_FALSE(std::filesystem::exists("/nonexistent-tarlo-folder"));
}

} // namespace
} // namespace tarlo
