#include "trafficfiles/TrafficGenerator.h"
#include "project/settings/CSettings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <numeric>
#include <vector>

namespace tarlo {
namespace {

using Options = TrafficGenerator::Options;

std::vector<std::unique_ptr<Vehicle>> generateAll(const Options& options,
                                                  const CSettings& settings = CSettings()) {
    TrafficGenerator generator(settings, options);
    std::vector<std::unique_ptr<Vehicle>> vehicles;
    while (auto vehicle = generator.next())
        vehicles.push_back(std::move(vehicle));
    return vehicles;
}

Options hours(double h) {
    Options options;
    options.endTime = options.startTime + h * 3600.0;
    return options;
}

TEST(TrafficGenerator, ArrivalsComeInTimeOrderAtTheRequestedFlow) {
    Options options = hours(2.0);
    options.startTime = 1000.0;
    options.endTime = 1000.0 + 2 * 3600.0;
    const auto vehicles = generateAll(options);

    // Three lanes at 1000 vehicles an hour for two hours; the spread of a Poisson count
    // of 6000 is about 80.
    EXPECT_NEAR(static_cast<double>(vehicles.size()), 6000.0, 400.0);
    ASSERT_FALSE(vehicles.empty());
    EXPECT_GE(vehicles.front()->getTime(), 1000.0);
    EXPECT_LT(vehicles.back()->getTime(), options.endTime);
    for (std::size_t i = 1; i < vehicles.size(); ++i)
        ASSERT_LE(vehicles[i - 1]->getTime(), vehicles[i]->getTime()) << "vehicle " << i;
}

TEST(TrafficGenerator, ArrivalsInOneLaneLeaveTheEntranceFree) {
    const CSettings settings;
    Options options = hours(3.0);
    options.flowPerLane = 2000.0; // dense traffic, close to the minimum headway
    const auto vehicles = generateAll(options, settings);

    std::map<std::pair<int, int>, const Vehicle*> previous;
    for (const auto& vehicle : vehicles) {
        const Vehicle*& before = previous[{vehicle->direction, vehicle->lane}];
        if (before) {
            const double headway = vehicle->getTime() - before->getTime();
            const double clearance =
                (settings.IDM.MIN_SPACE_FOR_NEXT_VEHICLE + before->length) / before->speed;
            ASSERT_GE(headway, TrafficGenerator::MIN_HEADWAY - 1e-9);
            ASSERT_GE(headway, clearance - 0.01);
        }
        before = vehicle.get();
    }
}

TEST(TrafficGenerator, VehiclesHaveRealisticAxlesWeightsAndSpeeds) {
    Options options = hours(4.0);
    options.truckShare = 0.5;
    const auto vehicles = generateAll(options);

    std::map<unsigned, int> truckAxles;
    for (const auto& v : vehicles) {
        ASSERT_EQ(v->axles.size(), v->noAxles);
        const double tonnes = v->gvw / 9.81;
        double axleSum = 0.0;
        double wheelbase = 0.0;
        for (std::size_t i = 0; i < v->axles.size(); ++i) {
            axleSum += v->axles[i].weight;
            EXPECT_NEAR(v->axles[i].position, wheelbase, 1e-9);
            if (i + 1 < v->axles.size()) {
                EXPECT_GE(v->axles[i].spacing, 1.2);
                EXPECT_LE(v->axles[i].spacing, 6.0);
                wheelbase += v->axles[i].spacing;
            } else {
                EXPECT_EQ(v->axles[i].spacing, 0.0);
            }
        }
        EXPECT_NEAR(axleSum, v->gvw, 1e-6);
        EXPECT_LT(wheelbase, v->length);
        EXPECT_EQ(v->dirPositive, v->direction == 1);

        const bool truck = tonnes >= 8.0;
        if (truck) {
            ++truckAxles[v->noAxles];
            EXPECT_LE(tonnes, 44.0);
            EXPECT_GE(v->length, 7.0);
            EXPECT_LE(v->length, 18.0);
            EXPECT_GE(v->speed, 22.0);
            EXPECT_LE(v->speed, 25.0);
        } else {
            EXPECT_EQ(v->noAxles, 2u);
            EXPECT_GE(tonnes, 1.0);
            EXPECT_LE(tonnes, 2.5);
            EXPECT_GE(v->length, 3.8);
            EXPECT_LE(v->length, 5.0);
            EXPECT_GE(v->speed, 25.0);
            EXPECT_LE(v->speed, 36.0);
        }
    }
    // Every truck layout occurs.
    for (unsigned axles = 2; axles <= 6; ++axles)
        EXPECT_GT(truckAxles[axles], 0) << axles << " axles";
    EXPECT_EQ(truckAxles.begin()->first, 2u);
    EXPECT_EQ(truckAxles.rbegin()->first, 6u);
}

TEST(TrafficGenerator, TrucksKeepToLaneOneAndMeetTheOverallShare) {
    Options options = hours(10.0);
    options.lanesPos = 2;
    options.lanesNeg = 0;
    options.truckShare = 0.2;
    TrafficGenerator generator(CSettings(), options);
    std::map<int, int> trucks;
    std::map<int, int> all;
    while (auto v = generator.next()) {
        ++all[v->lane];
        if (v->gvw / 9.81 >= 8.0)
            ++trucks[v->lane];
    }
    const double total = all[1] + all[2];
    EXPECT_NEAR((trucks[1] + trucks[2]) / total, 0.2, 0.02);
    EXPECT_GT(trucks[1], 3 * trucks[2]);
    EXPECT_EQ(generator.trucksMade(), static_cast<std::uint64_t>(trucks[1] + trucks[2]));
    EXPECT_EQ(generator.vehiclesMade(), static_cast<std::uint64_t>(total));
}

TEST(TrafficGenerator, LaneTruckSharesAddUpToTheOverallShare) {
    struct Case {
        unsigned lanes;
        double share;
        std::vector<double> expected;
    };
    const std::vector<Case> cases{
        {1, 0.15, {0.15}},         {2, 0.15, {0.24, 0.06}}, {3, 0.15, {0.3, 0.075, 0.075}},
        {2, 0.8, {1.0, 0.6}}, // lane 1 is full, the rest spills over
        {3, 1.0, {1.0, 1.0, 1.0}}, {2, 0.0, {0.0, 0.0}},    {0, 0.5, {}},
    };
    for (const Case& c : cases) {
        const std::vector<double> shares = TrafficGenerator::laneTruckShares(c.lanes, c.share);
        ASSERT_EQ(shares.size(), c.expected.size()) << c.lanes << " lanes";
        for (std::size_t i = 0; i < shares.size(); ++i)
            EXPECT_NEAR(shares[i], c.expected[i], 1e-12) << c.lanes << " lanes, " << c.share;
        if (c.lanes > 0) {
            EXPECT_NEAR(std::accumulate(shares.begin(), shares.end(), 0.0) / c.lanes, c.share,
                        1e-12);
        }
    }
}

bool sameRecord(const Vehicle& a, const Vehicle& b) {
    if (a.getTime() != b.getTime() || a.direction != b.direction || a.lane != b.lane ||
        a.speed != b.speed || a.gvw != b.gvw || a.length != b.length || a.noAxles != b.noAxles)
        return false;
    for (std::size_t i = 0; i < a.axles.size(); ++i)
        if (a.axles[i].weight != b.axles[i].weight || a.axles[i].spacing != b.axles[i].spacing)
            return false;
    return true;
}

TEST(TrafficGenerator, TheSeedAloneDecidesTheTraffic) {
    Options options = hours(0.5);
    const auto first = generateAll(options);
    const auto again = generateAll(options);
    ASSERT_EQ(first.size(), again.size());
    for (std::size_t i = 0; i < first.size(); ++i)
        ASSERT_TRUE(sameRecord(*first[i], *again[i])) << "vehicle " << i;

    options.seed = 2;
    const auto other = generateAll(options);
    std::size_t same = 0;
    for (std::size_t i = 0; i < std::min(first.size(), other.size()); ++i)
        same += sameRecord(*first[i], *other[i]);
    EXPECT_EQ(same, 0u);
}

TEST(TrafficGenerator, AnotherLaneLeavesTheTrafficOfTheOthersAlone) {
    Options one = hours(0.5);
    one.lanesPos = 1;
    one.lanesNeg = 0;
    one.truckShare = 0.0; // the lane shares of trucks change with the lane count
    Options three = one;
    three.lanesPos = 2;
    three.lanesNeg = 1;

    const auto alone = generateAll(one);
    std::vector<std::unique_ptr<Vehicle>> lane1;
    for (auto& v : generateAll(three))
        if (v->direction == 1 && v->lane == 1)
            lane1.push_back(std::move(v));
    ASSERT_EQ(alone.size(), lane1.size());
    for (std::size_t i = 0; i < alone.size(); ++i)
        ASSERT_TRUE(sameRecord(*alone[i], *lane1[i])) << "vehicle " << i;
}

TEST(TrafficGenerator, StopsAtTheVehicleCount) {
    Options options;
    options.endTime = 1e9;
    options.maxVehicles = 1234;
    TrafficGenerator generator(CSettings(), options);
    std::uint64_t n = 0;
    while (generator.next())
        ++n;
    EXPECT_EQ(n, 1234u);
    EXPECT_EQ(generator.vehiclesMade(), 1234u);
    EXPECT_EQ(generator.next(), nullptr);
}

TEST(TrafficGenerator, TimeStampsAreWholeHundredthsOnTheSettingsCalendar) {
    CSettings settings;
    settings.Time.DAYS_PER_MT = 2;
    settings.Time.MTS_PER_YR = 3;
    Options options = hours(1.0);
    options.startTime = 6 * 86400.0 - 1800.0; // half an hour before the second year
    options.endTime = options.startTime + 3600.0;
    const auto vehicles = generateAll(options, settings);
    ASSERT_FALSE(vehicles.empty());
    bool sawSecondYear = false;
    for (const auto& v : vehicles) {
        const double hundredths = v->getTime() * 100.0;
        ASSERT_NEAR(hundredths, std::round(hundredths), 1e-6);
        ASSERT_LE(v->month, 3u);
        ASSERT_LE(v->day, 2u);
        sawSecondYear = sawSecondYear || v->year == 1;
    }
    EXPECT_TRUE(sawSecondYear);
    EXPECT_EQ(vehicles.back()->year, 1u);
    EXPECT_EQ(vehicles.back()->month, 1u);
    EXPECT_EQ(vehicles.back()->day, 1u);
}

TEST(TrafficGenerator, NoTimeOrNoFlowGivesNoTraffic) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        double start, end, flow;
    };
    for (const Case& c : std::vector<Case>{{500.0, 500.0, 1000.0},
                                           {500.0, 100.0, 1000.0},
                                           {0.0, 3600.0, 0.0},
                                           {0.0, 3600.0, -5.0},
                                           {0.0, 3600.0, nan},
                                           {0.0, nan, 1000.0}}) {
        Options options;
        options.startTime = c.start;
        options.endTime = c.end;
        options.flowPerLane = c.flow;
        EXPECT_TRUE(generateAll(options).empty()) << c.start << " " << c.end << " " << c.flow;
    }
}

} // namespace
} // namespace tarlo
