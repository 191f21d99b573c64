#include "engine/DriverModel.h"
#include "engine/Vehicle.h"
#include "project/settings/CSettings.h"

#include <gtest/gtest.h>

namespace tarlo {
namespace {

struct KinematicsCase {
    double speed, accel, dt;
    double expectedSpeed, expectedDistance;
};

TEST(VehicleKinematics, SemiImplicitEulerNeverBackwards) {
    const KinematicsCase cases[] = {
        {1.0, -20.0, 0.1, 0.0, 0.0},    // braking to a stand does not move in that step
        {20.0, 1.0, 0.5, 20.5, 10.25},  // the updated speed moves the vehicle
        {25.0, 0.0, 0.25, 25.0, 6.25},  // constant velocity
        {0.0, -3.0, 0.25, 0.0, 0.0},    // a standing vehicle never reverses
    };
    const CSettings settings;
    for (const KinematicsCase& c : cases) {
        Vehicle v(settings);
        v.position = 100.0;
        v.speed = c.speed;
        v.accel = c.accel;
        v.updateKinematics(c.dt);
        EXPECT_DOUBLE_EQ(v.speed, c.expectedSpeed) << c.speed << " " << c.accel;
        EXPECT_DOUBLE_EQ(v.position - 100.0, c.expectedDistance) << c.speed << " " << c.accel;
        EXPECT_DOUBLE_EQ(v.previousPosition, 100.0);
    }
}

TEST(VehicleKinematics, NegativeDirectionGlobalPosition) {
    const CSettings settings;
    Vehicle v(settings);
    v.dirPositive = false;
    v.roadLength = 1000;
    v.position = 290.0;
    v.speed = 10.0;
    v.updateKinematics(1.0);
    EXPECT_DOUBLE_EQ(v.globalPosition(), 700.0);
}

// Records what the vehicle asks of its driver.
class RecordingDriver : public DriverModel {
public:
    double getDesiredSpeed() const override { return 30.0; }
    void setSpeed(double s) override { speed = s; }
    double acceleration(double dv, double s) override {
        approach = dv;
        gap = s;
        return 0.5;
    }
    double laneChangeIncentive(const Vehicle*, const Vehicle*, const Vehicle*, const Vehicle*,
                               Vehicle&, bool) override {
        return 0.0;
    }
    double speed = -1, approach = -1, gap = -1;
};

TEST(VehicleAcceleration, WithoutLeaderSeesObstacleBeyondRoadEnd) {
    CSettings settings;
    settings.Road.ROAD_END_BUFFER = 50;
    Vehicle v(settings);
    auto driver = std::make_shared<RecordingDriver>();
    v.driver = driver;
    v.roadLength = 1000;
    v.position = 900.0;
    v.speed = 30.0;
    EXPECT_DOUBLE_EQ(v.acceleration(nullptr), 0.5);
    EXPECT_DOUBLE_EQ(driver->gap, 150.0);
    EXPECT_DOUBLE_EQ(driver->approach, 30.0);
    EXPECT_DOUBLE_EQ(driver->speed, 30.0);
}

TEST(VehicleAcceleration, BehindLeaderUsesClearGapAndApproachRate) {
    const CSettings settings;
    Vehicle leader(settings), v(settings);
    auto driver = std::make_shared<RecordingDriver>();
    v.driver = driver;
    leader.position = 200.0;
    leader.length = 12.0;
    leader.speed = 20.0;
    v.position = 150.0;
    v.speed = 25.0;
    v.acceleration(&leader);
    EXPECT_DOUBLE_EQ(driver->gap, 38.0);
    EXPECT_DOUBLE_EQ(driver->approach, 5.0);
}

TEST(VehicleLaneChangeTimer, AllowsChangeOnceDelayHasPassed) {
    CSettings settings;
    settings.IDM.LC_T_DELAY = 5.0;
    Vehicle v(settings);
    int steps = 0;
    while (!v.laneChangeAllowed && steps < 100) {
        v.tickLaneChangeTimer(0.1);
        ++steps;
    }
    // Accumulating 0.1 s steps reaches 5 s within one step of 50.
    EXPECT_NEAR(steps, 50, 1);
    const double timer = v.laneChangeTimer;
    v.tickLaneChangeTimer(0.1);
    EXPECT_EQ(v.laneChangeTimer, timer) << "an allowed vehicle's timer stands still";
}

TEST(VehicleCopy, SharesDriverAndCopiesAxles) {
    const CSettings settings;
    Vehicle v(settings);
    v.driver = std::make_shared<RecordingDriver>();
    v.axles[1].weight = 60.0;
    Vehicle copy(v);
    copy.axles[1].weight = 1.0;
    EXPECT_EQ(copy.driver, v.driver);
    EXPECT_DOUBLE_EQ(v.axles[1].weight, 60.0);
}

} // namespace
} // namespace tarlo
