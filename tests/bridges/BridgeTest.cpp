#include "bridges/CBridge.h"
#include "bridges/CInfLineFunction.h"
#include "engine/Sim.h"
#include "project/settings/CSettings.h"
#include "support/RecordingHost.h"
#include "support/TrafficFixture.h"

#include <gtest/gtest.h>

namespace tarlo {
namespace {

Vehicle twoAxleVehicle(const CSettings& settings, bool positive, double front, int lane = 1) {
    Vehicle v(settings);
    v.dirPositive = positive;
    v.roadLength = 1000;
    v.position = positive ? front : 1000.0 - front;
    v.lane = lane;
    v.speed = 20.0;
    v.axles = {{0.0, 4.0, 50.0}, {4.0, 0.0, 100.0}};
    return v;
}

TEST(LoadEffect, AxlesOnTheLineTimesTheLaneWeight) {
    struct Case {
        bool positive;
        double front;
        double laneWeight;
        double advance;
        double expected;
    };
    const Case cases[] = {
        {true, 110.0, 1.0, 0.0, 150.0},  // both axles on the 100-120 bridge
        {true, 122.0, 1.0, 0.0, 100.0},  // the front axle has left; the rear one at 118
        {true, 110.0, 0.5, 0.0, 75.0},   // lane weight halves
        {true, 110.0, 1.0, 12.0, 100.0}, // advanced 12 m along its direction
        {false, 102.0, 1.0, 0.0, 150.0}, // axles at 102 and 106
        {false, 98.0, 1.0, 0.0, 100.0},  // front axle at abscissa -2
        {false, 110.0, 1.0, 12.0, 100.0}, // front axle advanced to abscissa -2
    };
    const CSettings settings;
    for (const Case& c : cases) {
        CLoadEffect loadEffect(1, {c.laneWeight}, 100.0, 120.0);
        const Vehicle v = twoAxleVehicle(settings, c.positive, c.front);
        EXPECT_DOUBLE_EQ(loadEffect.CalcLoadEffect(v, c.advance), c.expected)
            << c.positive << " " << c.front << " " << c.advance;
    }
}

TEST(LoadEffect, LaneWithoutWeightContributesNothing) {
    const CSettings settings;
    CLoadEffect loadEffect(1, {1.0}, 100.0, 120.0);
    EXPECT_EQ(loadEffect.CalcLoadEffect(twoAxleVehicle(settings, true, 110.0, 2), 0.0), 0.0);
    EXPECT_EQ(loadEffect.CalcLoadEffect(twoAxleVehicle(settings, true, 110.0, 0), 0.0), 0.0);
    CLoadEffect empty;
    EXPECT_EQ(empty.CalcLoadEffect(twoAxleVehicle(settings, true, 110.0), 0.0), 0.0);
}

TEST(Bridge, LoadEffectsAreNumberedAndKeepTheirNumbers) {
    CBridge bridge(1, 3000, 2, 100.0, 150.0);
    ASSERT_EQ(bridge.GetNoLE(), 1);
    bridge.AddLoadEffect({1.0, 1.0});
    bridge.AddLoadEffect({1.0, 1.0});
    const auto& third = bridge.GetLoadEffects()[2];
    EXPECT_EQ(third->GetID(), 3);
    const auto& line = dynamic_cast<const CInfLineFunction&>(*third->GetInfLine());
    EXPECT_EQ(line.GetForm(), CInfLineFunction::TotalLoad);
    EXPECT_EQ(line.GetLength(), 50.0);
    EXPECT_EQ(bridge.EventManager().getThreshOver().size(), 3u);

    bridge.DeleteLoadEffect(0);
    bridge.DeleteLoadEffect(7); // no such load effect: nothing happens
    ASSERT_EQ(bridge.GetNoLE(), 2);
    EXPECT_EQ(bridge.GetLoadEffects()[0]->GetID(), 2);
    EXPECT_EQ(bridge.GetLoadEffects()[1]->GetID(), 3);
    EXPECT_EQ(bridge.EventManager().getThreshUnder().size(), 2u);
}

TEST(Bridge, LaneCountChangesExtendOrCutTheWeights) {
    CBridge bridge(1, 3000, 2, 100.0, 150.0);
    bridge.GetLoadEffects()[0]->LaneWeights() = {0.5, 0.7};
    bridge.SetNoLanes(4);
    EXPECT_EQ(bridge.GetLoadEffects()[0]->LaneWeights(), (std::vector<double>{0.5, 0.7, 1.0, 1.0}));
    bridge.SetNoLanes(1);
    EXPECT_EQ(bridge.GetLoadEffects()[0]->LaneWeights(), (std::vector<double>{0.5}));
}

TEST(Bridge, CopiesShareLoadEffectsButNotVehicles) {
    const CSettings settings;
    CBridge bridge(1, 3000, 1, 100.0, 120.0);
    const Vehicle v = twoAxleVehicle(settings, true, 110.0);
    bridge.AddVehicle(&v);
    const CBridge copy(bridge);
    EXPECT_TRUE(copy.GetVehicles().empty());
    EXPECT_EQ(copy.GetLoadEffects()[0], bridge.GetLoadEffects()[0]);
}

TEST(Bridge, SubStepsExtrapolateEachVehicleByItsSpeed) {
    const CSettings settings;
    CBridge bridge(1, 3000, 1, 100.0, 120.0);
    bridge.SetStepsPerSimStep(3);
    bridge.Initialize(0.3, 0.0, settings);
    const Vehicle v = twoAxleVehicle(settings, true, 118.0); // 20 m/s
    bridge.AddVehicle(&v);
    bridge.Update(50.0);
    // The last sub-step is at t + 0.2 with the vehicle 4 m on: its front axle at 122.
    EXPECT_DOUBLE_EQ(bridge.GetCurTime(), 50.2);
    EXPECT_DOUBLE_EQ(bridge.GetCurValues()[0], 100.0);
    EXPECT_DOUBLE_EQ(bridge.GetSubStepTime(), 0.1);
}

// The lanes list the vehicles near each bridge of the road.
class BridgeTrackingTest : public ::testing::Test {
protected:
    std::unique_ptr<Sim> makeSim(double bridgeStart, double bridgeEnd, int roadLength) {
        auto sim = std::make_unique<Sim>(settings, host);
        test::CastorRecord r;
        r.hour = 1;
        r.speedDm = 100; // 10 m/s
        sim->m_FileIn = test::writeCastorFile(dir, "one.cas", {r});
        sim->m_NoLanesDirPos = 1;
        sim->m_NoLanesDirNeg = 0;
        sim->m_NoDirections = 1;
        sim->m_NoLanes = 1;
        sim->m_RoadLength = roadLength;
        sim->m_SimTimeStep = 1.0;
        sim->road.trafFileLanesPos = 1;
        sim->road.trafFileLanes = 1;
        sim->road.constVelocity = true;
        sim->road.addBridge(CBridge(1, roadLength, 1, bridgeStart, bridgeEnd));
        bool ok = false;
        sim->init(ok);
        EXPECT_TRUE(ok);
        return sim;
    }

    std::size_t listed(const Sim& sim) const {
        return sim.road.getBridges()[0]->GetVehicles().size();
    }

    CSettings settings;
    test::RecordingHost host;
    test::TempDir dir{"tarlo-bridge-tracking"};
};

TEST_F(BridgeTrackingTest, ListedFromTheBufferBeforeUntilTheBufferPast) {
    auto sim = makeSim(100.0, 120.0, 1000);
    bool running = true;
    std::vector<double> listedAt;
    for (int step = 0; step < 20; ++step) {
        sim->step(running);
        const double front = sim->road.lane(1).vehicles[0]->position;
        if (listed(*sim) == 1)
            listedAt.push_back(front);
    }
    // Listed in the step its front reaches 90, dropped in the one it reaches 130.
    ASSERT_FALSE(listedAt.empty());
    EXPECT_EQ(listedAt.front(), 90.0);
    EXPECT_EQ(listedAt.back(), 120.0);
}

TEST_F(BridgeTrackingTest, VehicleLeavingTheRoadLeavesEveryBridgeList) {
    // The bridge and its buffer reach beyond the point where the road removes vehicles.
    auto sim = makeSim(90.0, 105.0, 100);
    bool running = true;
    bool seenListed = false;
    while (running) {
        sim->step(running);
        seenListed = seenListed || listed(*sim) == 1;
        if (sim->road.lane(1).vehicles.empty()) {
            EXPECT_EQ(listed(*sim), 0u);
        }
    }
    EXPECT_TRUE(seenListed);
}

} // namespace
} // namespace tarlo
