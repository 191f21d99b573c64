#include "detectors/Detector.h"
#include "engine/IDM.h"
#include "engine/Lane.h"
#include "engine/features/DriverFeatures.h"
#include "engine/features/Obstacle.h"
#include "engine/features/SpeedLimit.h"
#include "project/CRoadFeature.h"
#include "project/settings/CSettings.h"
#include "vehicles/RandomGenerator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace tarlo {
namespace {

constexpr double kmh = 0.27777778;

// A stretch that writes down every crossing the lane reports, in order.
class RecordingSegment : public RoadSegment {
public:
    RecordingSegment(std::string name, int start, int end, std::vector<std::string>& log)
        : RoadSegment(start, end, true), m_Name(std::move(name)), m_Log(log) {}
    void enter(Vehicle&) override { m_Log.push_back("enter " + m_Name); }
    void leave(Vehicle&) override { m_Log.push_back("leave " + m_Name); }

private:
    std::string m_Name;
    std::vector<std::string>& m_Log;
};

// A point detector at one position that counts the vehicles reported to it.
class CountingDetector : public Detector {
public:
    explicit CountingDetector(double at)
        : Detector(DETECTOR_POINT, DETECTOR_FLOW_DENSITY, DetectorParams{}) {
        watch(at, at);
    }
    void vehiclePassed(const Vehicle&, double) override { ++passes; }
    int passes = 0;
};

CRoadFeature feature(int type, double value, int start, int end) {
    CRoadFeature element;
    element.setType(type);
    element.setValue(value);
    element.setStart(start);
    element.setEnd(end);
    return element;
}

// One lane of a 1000 m road moved in steps of 1 s; its vehicles keep their speeds.
class RoadFeatureCrossingTest : public ::testing::Test {
protected:
    RoadFeatureCrossingTest() : lane(settings, 0, 1000.0, 1.0, true, false) {}

    Vehicle& addVehicle(double position, double speed, double v0Kmh = 120.0) {
        auto vehicle = std::make_unique<Vehicle>(settings);
        vehicle->position = position;
        vehicle->previousPosition = position;
        vehicle->speed = speed;
        vehicle->length = 4.0;
        vehicle->roadLength = 1000;
        auto idm = std::make_shared<IDM>(settings);
        idm->T = 1.2;
        idm->a = 1.0;
        idm->b = 2.0;
        idm->s0 = 1.0;
        idm->v0 = v0Kmh * kmh;
        idm->v0Drawn = idm->v0;
        vehicle->driver = idm;
        Vehicle& ref = *vehicle;
        lane.appendVehicle(std::move(vehicle));
        return ref;
    }

    // A control segment of the element, located on the road and seen by the lane.
    template <class Feature> Feature& addFeature(const CRoadFeature& element) {
        auto segment = std::make_unique<Feature>(element);
        segment->featureRng = &generator;
        segment->locate(1000);
        Feature& ref = *segment;
        lane.segments.push_back(segment.get());
        owned.push_back(std::move(segment));
        return ref;
    }

    RoadSegment& addRecording(const std::string& name, int start, int end) {
        owned.push_back(std::make_unique<RecordingSegment>(name, start, end, log));
        lane.segments.push_back(owned.back().get());
        return *owned.back();
    }

    void moveSteps(int steps) {
        for (int i = 0; i < steps; ++i)
            lane.move();
    }

    static IDM& idm(const Vehicle& vehicle) { return static_cast<IDM&>(*vehicle.driver); }

    CSettings settings;
    RandomGenerator generator{7};
    Lane lane;
    std::vector<std::unique_ptr<RoadSegment>> owned;
    std::vector<std::string> log;
};

TEST_F(RoadFeatureCrossingTest, CrossingsOfOneStretch) {
    struct Case {
        const char* what;
        int start, end;
        double from, speed;
        int steps;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases = {
        {"a stretch at the entrance is entered by the first move",
         0,
         100,
         0.0,
         10.0,
         1,
         {"enter S"}},
        {"a vehicle that never moves crosses nothing", 0, 100, 0.0, 0.0, 5, {}},
        {"one entry and one exit on the way through",
         50,
         100,
         35.0,
         10.0,
         10,
         {"enter S", "leave S"}},
        {"landing exactly on the start enters once", 50, 100, 40.0, 10.0, 3, {"enter S"}},
        {"standing on the start, arrived there, enters nothing more", 50, 100, 50.0, 0.0, 5, {}},
        {"landing exactly on the end leaves, the next move nothing",
         50,
         100,
         55.0,
         15.0,
         4,
         {"leave S"}},
        {"a stretch passed within one move is neither entered nor left", 50, 70, 40.0, 40.0, 2, {}},
        {"a vehicle already beyond the end", 50, 100, 100.0, 10.0, 3, {}},
    };
    for (const Case& c : cases) {
        lane.clear();
        owned.clear();
        lane.segments.clear();
        log.clear();
        addRecording("S", c.start, c.end);
        addVehicle(c.from, c.speed);
        moveSteps(c.steps);
        EXPECT_EQ(log, c.expected) << c.what;
    }
}

TEST_F(RoadFeatureCrossingTest, LeavingOneOfOverlappingStretchesEntersTheOtherAgain) {
    addRecording("A", 0, 100);
    addRecording("B", 50, 200);
    addRecording("C", 300, 400);
    addVehicle(0.0, 20.0);
    moveSteps(6); // 0 → 120
    EXPECT_EQ(log, (std::vector<std::string>{"enter A", "enter B", "leave A", "enter B"}));
}

TEST_F(RoadFeatureCrossingTest, TouchingStretchesHandOverInOneMove) {
    addRecording("A", 0, 100);
    addRecording("B", 100, 200);
    addVehicle(0.0, 20.0);
    moveSteps(5); // 0 → 100: the joint is reached in the fifth move
    EXPECT_EQ(log, (std::vector<std::string>{"enter A", "leave A", "enter B"}));
}

TEST_F(RoadFeatureCrossingTest, TouchingSpeedLimitsLeaveTheSecondInForce) {
    addFeature<SpeedLimit>(feature(CRoadFeature::SpeedLimit, 80.0, 0, 300));
    addFeature<SpeedLimit>(feature(CRoadFeature::SpeedLimit, 60.0, 300, 600));
    Vehicle& vehicle = addVehicle(0.0, 20.0, 100.0);
    moveSteps(1);
    EXPECT_NEAR(vehicle.driver->getDesiredSpeed(), 80.0 * kmh, 1e-9);
    moveSteps(15); // to 320
    EXPECT_NEAR(vehicle.driver->getDesiredSpeed(), 60.0 * kmh, 1e-9);
    moveSteps(15); // to 620
    EXPECT_NEAR(vehicle.driver->getDesiredSpeed(), 100.0 * kmh, 1e-9);
    EXPECT_FALSE(vehicle.driver->speedLimitActive);
}

TEST_F(RoadFeatureCrossingTest, LeavingASpeedLimitInsideAGradientKeepsOneGradient) {
    const double tSlope = settings.Road.RoadFeatures.Gradient.IDM_Modifiers.T_SLOPE;
    addFeature<SpeedLimit>(feature(CRoadFeature::SpeedLimit, 80.0, 0, 400));
    addFeature<Gradient>(feature(CRoadFeature::Gradient, 5.0, 200, 800));
    Vehicle& vehicle = addVehicle(0.0, 10.0, 120.0);
    moveSteps(25); // to 250: under the limit and on the gradient
    EXPECT_TRUE(idm(vehicle).speedLimitActive);
    EXPECT_NEAR(idm(vehicle).T, 1.2 + 5.0 / tSlope, 1e-12);
    moveSteps(20); // to 450: the limit is behind, the gradient entered again
    EXPECT_FALSE(idm(vehicle).speedLimitActive);
    EXPECT_TRUE(idm(vehicle).gradientActive);
    EXPECT_NEAR(idm(vehicle).T, 1.2 + 5.0 / tSlope, 1e-12) << "the gradient is applied once";
    moveSteps(40); // to 850: every stretch is behind
    EXPECT_FALSE(idm(vehicle).gradientActive);
    EXPECT_DOUBLE_EQ(idm(vehicle).T, 1.2);
    EXPECT_DOUBLE_EQ(idm(vehicle).a, 1.0);
    EXPECT_DOUBLE_EQ(idm(vehicle).v0, 120.0 * kmh) << "back to the drawn desired speed";
}

TEST_F(RoadFeatureCrossingTest, LeavingTheLastStretchRestoresTheDrawnDesiredSpeed) {
    addFeature<Politeness>(feature(CRoadFeature::Politeness, 1.0, 0, 100));
    Vehicle& vehicle = addVehicle(0.0, 30.0);
    moveSteps(1);
    idm(vehicle).v0 = 5.0; // as an earlier modification might have left it
    moveSteps(3);
    EXPECT_FALSE(idm(vehicle).politenessActive);
    EXPECT_DOUBLE_EQ(idm(vehicle).v0, idm(vehicle).v0Drawn);
}

TEST_F(RoadFeatureCrossingTest, SpeedLimitLowersTheDesiredSpeedOnlyOnItsStretch) {
    addFeature<SpeedLimit>(feature(CRoadFeature::SpeedLimit, 60.0, 100, 300));
    Vehicle& vehicle = addVehicle(0.0, 25.0, 120.0);
    moveSteps(3); // 75
    EXPECT_NEAR(vehicle.driver->getDesiredSpeed(), 120.0 * kmh, 1e-9);
    moveSteps(1); // 100
    EXPECT_NEAR(vehicle.driver->getDesiredSpeed(), 60.0 * kmh, 1e-9);
    moveSteps(8); // 300
    EXPECT_NEAR(vehicle.driver->getDesiredSpeed(), 120.0 * kmh, 1e-9);
}

// A speed limit and a 5 % gradient (25 km/h slower) on one stretch each, for a driver who
// wants 120 km/h: the desired speed at each position follows from the stretches that cover
// it, whichever was entered or left first.
TEST_F(RoadFeatureCrossingTest, OverlappingSpeedLimitAndGradientCompose) {
    struct Stretch {
        int start, end;
    };
    struct Case {
        const char* what;
        double limitKmh;
        Stretch limit, gradient;
        std::vector<std::pair<int, double>> expectedKmh; // position, desired speed
    };
    const std::vector<Case> cases = {
        {"gradient ends inside the limit", 60.0, {200, 600}, {100, 400},
         {{150, 95.0}, {300, 60.0}, {500, 60.0}, {700, 120.0}}},
        {"limit ends inside the gradient", 100.0, {100, 400}, {200, 600},
         {{150, 100.0}, {300, 95.0}, {500, 95.0}, {700, 120.0}}},
        {"limit below the slowed speed, then the gradient alone", 80.0, {100, 400}, {200, 600},
         {{150, 80.0}, {300, 80.0}, {500, 95.0}, {700, 120.0}}},
        {"limit inside the gradient", 100.0, {200, 400}, {100, 600},
         {{150, 95.0}, {300, 95.0}, {500, 95.0}, {700, 120.0}}},
        {"gradient inside the limit", 60.0, {100, 600}, {200, 400},
         {{150, 60.0}, {300, 60.0}, {500, 60.0}, {700, 120.0}}},
        {"apart: each alone", 60.0, {300, 400}, {100, 200},
         {{150, 95.0}, {250, 120.0}, {350, 60.0}, {450, 120.0}}},
    };
    for (const Case& c : cases) {
        lane.vehicles.clear();
        lane.segments.clear();
        owned.clear();
        // The lane visits its stretches by their start.
        const CRoadFeature limit =
            feature(CRoadFeature::SpeedLimit, c.limitKmh, c.limit.start, c.limit.end);
        const CRoadFeature gradient =
            feature(CRoadFeature::Gradient, 5.0, c.gradient.start, c.gradient.end);
        if (c.limit.start < c.gradient.start) {
            addFeature<SpeedLimit>(limit);
            addFeature<Gradient>(gradient);
        } else {
            addFeature<Gradient>(gradient);
            addFeature<SpeedLimit>(limit);
        }
        Vehicle& vehicle = addVehicle(0.0, 10.0, 120.0);
        int at = 0;
        for (const auto& [position, expected] : c.expectedKmh) {
            moveSteps((position - at) / 10);
            at = position;
            EXPECT_NEAR(vehicle.driver->getDesiredSpeed(), expected * kmh, 1e-6)
                << c.what << " at " << position << " m";
        }
    }
}

TEST_F(RoadFeatureCrossingTest, AStaticOccupantIsNeitherMovedNorReported) {
    CRoadFeature element = feature(CRoadFeature::Obstacle, 1.0, 400, 500);
    auto obstacle = std::make_unique<Obstacle>(element, settings);
    obstacle->locate(1000);
    const Vehicle& standing = *obstacle;
    lane.placeStatic(std::move(obstacle));
    CountingDetector atObstacle(500.0);
    lane.setDetectors({&atObstacle});
    addRecording("at the obstacle", 500, 600);
    addVehicle(0.0, 10.0);
    moveSteps(20);
    EXPECT_EQ(atObstacle.passes, 0);
    EXPECT_TRUE(log.empty());
    EXPECT_DOUBLE_EQ(standing.position, 500.0);
    EXPECT_EQ(lane.staticCount, 1);
}

TEST_F(RoadFeatureCrossingTest, StaticOccupantsKeepTheLaneOrdered) {
    addVehicle(700.0, 0.0);
    addVehicle(200.0, 0.0);
    struct Placement {
        int start, end;
    };
    for (const Placement p :
         {Placement{450, 500}, Placement{900, 950}, Placement{50, 100}, Placement{150, 200}}) {
        auto obstacle = std::make_unique<Obstacle>(
            feature(CRoadFeature::Obstacle, 1.0, p.start, p.end), settings);
        obstacle->locate(1000);
        lane.placeStatic(std::move(obstacle));
    }
    std::vector<double> positions;
    for (const auto& vehicle : lane.vehicles)
        positions.push_back(vehicle->position);
    // An obstacle level with a vehicle goes behind it.
    EXPECT_EQ(positions, (std::vector<double>{950.0, 700.0, 500.0, 200.0, 200.0, 100.0}));
    EXPECT_EQ(lane.staticCount, 4);
    EXPECT_DOUBLE_EQ(lane.entrySpace, 50.0) << "the rear of the obstacle placed last in line";
    EXPECT_FALSE(lane.finished());
}

} // namespace
} // namespace tarlo
