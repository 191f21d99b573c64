#include "detectors/LaneStatistics.h"
#include "project/settings/CSettings.h"
#include "vehicles/CVehicleTypes.h"

#include <gtest/gtest.h>

#include <vector>

namespace tarlo {
namespace {

class LaneStatisticsTest : public ::testing::Test {
protected:
    // A vehicle of the positive direction on a road of 2 + 2 lanes.
    Vehicle vehicle(int directionLane, double speed, int vehicleClass = 0,
                    bool positive = true) const {
        Vehicle v(settings);
        v.roadLanes = 4;
        v.dirPositive = positive;
        v.lane = positive ? directionLane : 4 + 1 - directionLane;
        v.speed = speed;
        v.vehicleClass = vehicleClass;
        return v;
    }

    CSettings settings;
    std::vector<double> out;
    double total = -1.0;
};

TEST_F(LaneStatisticsTest, FlowsSpeedsAndDensitiesByLane) {
    LaneStatistics stats(2, 60.0);
    stats.collect({vehicle(1, 20.0), vehicle(1, 30.0)});

    stats.flows(out, total);
    EXPECT_EQ(out, (std::vector<double>{120.0, 0.0}));
    EXPECT_DOUBLE_EQ(total, 120.0);

    // Harmonic mean of 72 and 108 km/h; the empty lane still counts in the mean.
    stats.spaceMeanSpeeds(out, total);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_NEAR(out[0], 86.4, 1e-9);
    EXPECT_EQ(out[1], 0.0);
    EXPECT_NEAR(total, 43.2, 1e-9);

    stats.densities(out, total);
    EXPECT_NEAR(out[0], 120.0 / 86.4, 1e-9);
    EXPECT_EQ(out[1], 0.0);
    EXPECT_NEAR(total, 120.0 / 86.4, 1e-9);

    stats.timeMeanSpeeds(out, total);
    EXPECT_NEAR(out[0], 90.0, 1e-9);
    EXPECT_EQ(out[1], 0.0);
    EXPECT_NEAR(total, 45.0, 1e-9);
}

TEST_F(LaneStatisticsTest, OneVehicleInTheSecondLaneOfAMinute) {
    LaneStatistics stats(2, 60.0);
    stats.collect({vehicle(2, 25.0)});
    stats.flows(out, total);
    EXPECT_EQ(out, (std::vector<double>{0.0, 60.0}));
    stats.spaceMeanSpeeds(out, total);
    EXPECT_NEAR(total, 90.0 / 2, 1e-9);
    stats.timeMeanSpeeds(out, total);
    EXPECT_NEAR(total, 90.0 / 2, 1e-9);
}

TEST_F(LaneStatisticsTest, NegativeDirectionLanesCountFromTheInsideLane) {
    LaneStatistics stats(2, 3600.0);
    // Road lane 4 is the negative direction's inside lane, road lane 3 its second.
    stats.collect(
        {vehicle(1, 10.0, 0, false), vehicle(2, 10.0, 0, false), vehicle(2, 10.0, 0, false)});
    EXPECT_EQ(stats.count(1), 1);
    EXPECT_EQ(stats.count(2), 2);
}

TEST_F(LaneStatisticsTest, EveryCollectStartsAfresh) {
    LaneStatistics stats(1, 60.0);
    stats.collect({vehicle(1, 10.0), vehicle(1, 10.0)});
    stats.densities(out, total);
    stats.collect({vehicle(1, 20.0)});
    stats.flows(out, total);
    EXPECT_EQ(out, std::vector<double>{60.0});
    stats.spaceMeanSpeeds(out, total);
    EXPECT_NEAR(out[0], 72.0, 1e-9);
    stats.collect(std::vector<Vehicle>{});
    stats.densities(out, total);
    EXPECT_EQ(out, std::vector<double>{0.0});
    EXPECT_EQ(total, 0.0);
}

TEST_F(LaneStatisticsTest, VehiclesOutsideTheLanesAreIgnored) {
    LaneStatistics stats(1, 60.0);
    stats.collect({vehicle(2, 10.0), vehicle(1, 10.0)});
    stats.flows(out, total);
    EXPECT_EQ(out, std::vector<double>{60.0});
}

TEST_F(LaneStatisticsTest, CompositionCountsByVehicleType) {
    const CVehicleTypes types;
    LaneStatistics stats(2, 60.0, &types);
    stats.collect(
        {vehicle(1, 10.0, 0), vehicle(2, 10.0, 2), vehicle(1, 10.0, 2), vehicle(2, 10.0, 5)});
    std::vector<int> counts;
    stats.composition(counts);
    EXPECT_EQ(counts, (std::vector<int>{1, 0, 2, 0, 0, 1}));

    LaneStatistics unclassified(2, 60.0);
    unclassified.collect({vehicle(1, 10.0)});
    std::vector<int> untouched = {7};
    unclassified.composition(untouched);
    EXPECT_EQ(untouched, std::vector<int>{7});
}

} // namespace
} // namespace tarlo
