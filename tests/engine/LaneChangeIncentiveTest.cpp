#include "engine/IDM.h"
#include "engine/Vehicle.h"
#include "project/settings/CSettings.h"

#include <gtest/gtest.h>

#include <memory>

namespace tarlo {
namespace {

// Standing vehicles with s0 = 2 m behind leaders of model 0 have the simple acceleration
// a * (1 - (2/s)^2), which keeps the expected incentives computable by hand.
class LaneChangeIncentive : public ::testing::Test {
protected:
    std::shared_ptr<IDM> driverFor(Vehicle& vehicle) {
        auto driver = std::make_shared<IDM>(settings);
        driver->T = 1.0;
        driver->a = 1.0;
        driver->b = 1.0;
        driver->sqrtAB2 = 2.0;
        driver->s0 = 2.0;
        driver->v0 = driver->v0Drawn = 30.0;
        driver->delta = 4.0;
        driver->politeness = 0.5;
        driver->threshold = 0.1;
        vehicle.driver = driver;
        return driver;
    }

    Vehicle place(double position, double speed = 0.0) {
        Vehicle vehicle(settings);
        vehicle.position = position;
        vehicle.speed = speed;
        vehicle.length = 10.0;
        vehicle.roadLength = 1000;
        vehicle.roadLanes = 4;
        vehicle.lane = 2;
        driverFor(vehicle);
        return vehicle;
    }

    IDM& driverOf(Vehicle& vehicle) { return static_cast<IDM&>(*vehicle.driver); }

    CSettings settings;
};

// The lane choice asks for incentives it weighs only from 0.0001 on, and the driver may stop
// early on those that cannot reach it. Over a grid of gaps, speeds, biases and politeness
// the shortened answer is the full one, or 0 where the full one is below 0.0001.
TEST_F(LaneChangeIncentive, TheShortenedIncentiveDecidesAsTheFullOne) {
    int shortened = 0;
    for (const double gapAhead : {3.0, 12.0, 40.0})
        for (const double gapNew : {1.0, 6.0, 25.0, 80.0})
            for (const double gapBehind : {1.0, 5.0, 30.0})
                for (const double speed : {0.0, 10.0, 25.0})
                    for (const double bias : {-0.3, 0.0, 0.3})
                        for (const double politeness : {0.0, 0.5})
                            for (const bool outward : {false, true}) {
                                Vehicle self = place(500.0, speed);
                                Vehicle leader = place(510.0 + gapAhead, speed * 0.8);
                                Vehicle follower = place(480.0, speed * 1.1);
                                Vehicle newLeader = place(510.0 + gapNew, speed);
                                Vehicle newFollower = place(490.0 - gapBehind, speed * 1.2);
                                IDM& d = driverOf(self);
                                d.bias = bias;
                                d.politeness = politeness;
                                d.lcFollower = true;
                                const double full = d.laneChangeIncentive(
                                    &leader, &follower, &newLeader, &newFollower, self, outward);
                                const double early =
                                    d.laneChangeIncentiveAbove(&leader, &follower, &newLeader,
                                                               &newFollower, self, outward, 0.0001);
                                if (early != full) {
                                    ++shortened;
                                    EXPECT_EQ(early, 0.0);
                                    EXPECT_LT(full, 0.0001);
                                }
                            }
    EXPECT_GT(shortened, 0);
}

TEST_F(LaneChangeIncentive, CombinesGainLossesAndBias) {
    Vehicle self = place(100.0);
    Vehicle leader = place(114.0);     // 4 m ahead: 1 - 1/4
    Vehicle follower = place(86.0);    // 4 m behind V, 18 m behind the leader
    Vehicle newLeader = place(118.0);  // 8 m ahead: 1 - 1/16
    Vehicle newFollower = place(88.0); // 2 m behind V: 0; 20 m behind the new leader
    IDM& d = driverOf(self);
    d.bias = 0.2;
    d.threshold = 0.0;

    const double gain = (1.0 - 1.0 / 16.0) - 0.75;
    const double lossNew = (1.0 - 1.0 / 100.0) - 0.0;
    const double lossOld = 0.75 - (1.0 - 1.0 / 81.0);
    EXPECT_NEAR(d.laneChangeIncentive(&leader, &follower, &newLeader, &newFollower, self, false),
                gain - 0.5 * (lossOld + lossNew) + 0.2, 1e-12);
    // Towards the outside lane the bias counts against the move, which is then not worth it.
    EXPECT_EQ(d.laneChangeIncentive(&leader, &follower, &newLeader, &newFollower, self, true), 0.0);
    // Without a vehicle behind in the new lane nobody else's loss counts.
    EXPECT_NEAR(d.laneChangeIncentive(&leader, &follower, &newLeader, nullptr, self, false),
                gain + 0.2, 1e-12);
    // An empty new lane: free road ahead.
    Vehicle freeSelf = place(100.0);
    const double freeRoad = 1.0 - (2.0 / 1900.0) * (2.0 / 1900.0);
    EXPECT_NEAR(
        driverOf(freeSelf).laneChangeIncentive(&leader, nullptr, nullptr, nullptr, freeSelf, false),
        freeRoad - 0.75, 1e-12);
}

TEST_F(LaneChangeIncentive, UnsafeChangesAreRefused) {
    struct Case {
        const char* name;
        double newLeaderPosition;   // 0: none
        double newFollowerPosition; // 0: none
        double selfA, newFollowerA;
        double expected;
    };
    // V stands at 100 with its rear at 90; s0 = 6 m at a 2 m gap gives a * (1 - 9) = -8a.
    const Case cases[] = {
        {"new leader level with V", 100.0, 0.0, 1.0, 1.0, -1.0},
        {"new leader 1.9 m ahead", 111.9, 0.0, 1.0, 1.0, -1.0},
        {"new follower 1.9 m behind", 0.0, 88.1, 1.0, 1.0, -1.0},
        {"new follower made to brake 12.5", 0.0, 88.0, 1.0, 1.5625, -1.0},
        {"own braking 12.5 behind new leader", 112.0, 0.0, 1.5625, 1.0, -1.0},
    };
    for (const Case& c : cases) {
        Vehicle self = place(100.0);
        Vehicle leader = place(150.0);
        Vehicle newLeader = place(c.newLeaderPosition);
        Vehicle newFollower = place(c.newFollowerPosition);
        driverOf(self).a = c.selfA;
        driverOf(self).s0 = 6.0;
        driverOf(newFollower).a = c.newFollowerA;
        driverOf(newFollower).s0 = 6.0;
        const Vehicle* nl = c.newLeaderPosition > 0.0 ? &newLeader : nullptr;
        const Vehicle* nf = c.newFollowerPosition > 0.0 ? &newFollower : nullptr;
        EXPECT_EQ(driverOf(self).laneChangeIncentive(&leader, nullptr, nl, nf, self, false),
                  c.expected)
            << c.name;
    }
}

TEST_F(LaneChangeIncentive, GapsAndBrakingAtTheLimitsAreAccepted) {
    // Exactly LC_MIN_GAP on both sides, and braking at 11.5 m/s^2 for V and the new follower.
    Vehicle self = place(100.0);
    Vehicle leader = place(111.0); // 1 m gap: V is braking hard where it is
    Vehicle newLeader = place(112.0);
    Vehicle newFollower = place(88.0);
    for (Vehicle* v : {&self, &newFollower}) {
        driverOf(*v).a = 1.4375;
        driverOf(*v).s0 = 6.0;
    }
    driverOf(self).politeness = 0.0;
    const double atSafeLimit = 1.4375 * (1.0 - 9.0);
    EXPECT_EQ(atSafeLimit, -11.5);
    EXPECT_NEAR(
        driverOf(self).laneChangeIncentive(&leader, nullptr, &newLeader, &newFollower, self, false),
        atSafeLimit - 1.4375 * (1.0 - 36.0), 1e-12);
}

TEST_F(LaneChangeIncentive, PolitenessZeroIgnoresOthers) {
    Vehicle self = place(100.0);
    Vehicle leader = place(114.0);
    Vehicle newLeader = place(118.0);
    Vehicle newFollower = place(88.0);
    IDM& d = driverOf(self);
    d.threshold = 0.0;
    const double gain = (1.0 - 1.0 / 16.0) - 0.75;
    d.politeness = 0.0;
    EXPECT_NEAR(d.laneChangeIncentive(&leader, nullptr, &newLeader, &newFollower, self, false),
                gain, 1e-12);
    d.politeness = 0.1;
    EXPECT_NEAR(d.laneChangeIncentive(&leader, nullptr, &newLeader, &newFollower, self, false),
                gain - 0.1 * 0.99, 1e-12);
}

TEST_F(LaneChangeIncentive, BiasFavoursTheInsideLane) {
    // Equal accelerations in both lanes, no followers: only the bias remains.
    Vehicle self = place(100.0, 20.0);
    Vehicle leader = place(160.0, 20.0);
    Vehicle newLeader = place(160.0, 20.0);
    IDM& d = driverOf(self);
    d.bias = 0.3;
    d.threshold = 0.2;
    EXPECT_EQ(d.laneChangeIncentive(&leader, nullptr, &newLeader, nullptr, self, false), 0.3);
    EXPECT_EQ(d.laneChangeIncentive(&leader, nullptr, &newLeader, nullptr, self, true), 0.0);
    // The incentive has to exceed the threshold, not just reach it.
    d.threshold = 0.3;
    EXPECT_EQ(d.laneChangeIncentive(&leader, nullptr, &newLeader, nullptr, self, false), 0.0);

    // Driving on the right the right lane is the inside one; on the left, the left lane.
    d.threshold = 0.2;
    self.driveOnRight = true;
    EXPECT_EQ(
        self.chooseLane(&leader, nullptr, &newLeader, nullptr, &newLeader, nullptr, true, true), 2);
    self.driveOnRight = false;
    EXPECT_EQ(
        self.chooseLane(&leader, nullptr, &newLeader, nullptr, &newLeader, nullptr, true, true), 1);
}

TEST_F(LaneChangeIncentive, BanGivesZeroBeforeAnyCheck) {
    Vehicle self = place(100.0, 20.0);
    Vehicle leader = place(115.0, 0.0); // braking hard: a strong wish to change
    Vehicle level = place(100.0, 20.0);
    IDM& d = driverOf(self);
    ASSERT_GT(d.laneChangeIncentive(&leader, nullptr, nullptr, nullptr, self, true), 1.0);
    d.laneChangeBanOn();
    EXPECT_EQ(d.laneChangeIncentive(&leader, nullptr, nullptr, nullptr, self, true), 0.0);
    EXPECT_EQ(d.laneChangeIncentive(&leader, nullptr, &level, nullptr, self, true), 0.0);
    d.laneChangeBanOff();
    EXPECT_EQ(d.laneChangeIncentive(&leader, nullptr, &level, nullptr, self, true), -1.0);
}

TEST_F(LaneChangeIncentive, OldFollowerCountsUnlessInsideLaneWithFastLaneRule) {
    // V at 30 m/s closes in on a standing leader; its old follower would then face the
    // leader instead of V and lose a lot, while a far new follower hardly notices V.
    struct Case {
        bool dirPositive;
        int lane; // road lane number, four lanes per road
        bool lcFollower, fastLane;
        bool followerCounts;
    };
    const Case cases[] = {
        {true, 1, true, true, false},   // direction lane 1
        {true, 2, true, true, true},    // direction lane 2
        {true, 1, true, false, true},   // the fast-lane rule is off
        {false, 4, true, true, false},  // negative direction, direction lane 1
        {false, 3, true, true, true},   // negative direction, direction lane 2
        {true, 2, false, false, false}, // old followers never count
        {false, 3, false, true, false},
    };
    for (const Case& c : cases) {
        settings.IDM.LC_FOLLOWER = c.lcFollower;
        settings.IDM.LC_FOLLOWER_FASTLANE = c.fastLane;
        Vehicle self = place(500.0, 30.0);
        Vehicle leader = place(530.0, 0.0);
        Vehicle follower = place(460.0, 30.0);
        Vehicle newFollower = place(100.0, 30.0);
        self.dirPositive = c.dirPositive;
        self.lane = c.lane;
        IDM& d = driverOf(self);

        const double withFollower =
            d.laneChangeIncentive(&leader, &follower, nullptr, &newFollower, self, false);
        const double withoutFollower =
            d.laneChangeIncentive(&leader, nullptr, nullptr, &newFollower, self, false);
        ASSERT_GT(withoutFollower, 100.0);
        if (c.followerCounts)
            EXPECT_LT(withFollower, withoutFollower - 10.0) << c.dirPositive << " " << c.lane;
        else
            EXPECT_EQ(withFollower, withoutFollower) << c.dirPositive << " " << c.lane;

        // Without a new follower the old one's loss is outweighed by the sentinel.
        EXPECT_EQ(d.laneChangeIncentive(&leader, &follower, nullptr, nullptr, self, false),
                  d.laneChangeIncentive(&leader, nullptr, nullptr, nullptr, self, false))
            << c.dirPositive << " " << c.lane;
    }
}

TEST_F(LaneChangeIncentive, UndefinedIncentiveIsNoReasonToMove) {
    // A driver without a desired speed computes 0/0 for its own acceleration.
    Vehicle self = place(100.0);
    Vehicle leader = place(150.0);
    IDM& d = driverOf(self);
    d.v0 = 0.0;
    d.bias = 1.0;
    EXPECT_EQ(d.laneChangeIncentive(&leader, nullptr, nullptr, nullptr, self, false), 0.0);
}

} // namespace
} // namespace tarlo
