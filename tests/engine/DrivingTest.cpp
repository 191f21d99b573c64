#include "engine/Sim.h"
#include "project/settings/CSettings.h"
#include "support/RecordingHost.h"
#include "support/TrafficFixture.h"
#include "trafficfiles/TrafficGenerator.h"
#include "vehicles/CVehicleTypes.h"

#include <gtest/gtest.h>

#include <map>

namespace tarlo {
namespace {

// Ten minutes of generated traffic driven by the default vehicle types and their drivers.
class DrivingTest : public ::testing::Test {
protected:
    DrivingTest() {
        TrafficGenerator::Options options;
        options.endTime = 600.0;
        options.flowPerLane = 1500.0;
        options.truckShare = 0.3;
        auto writer = makeFileHandler(FORMAT_CASTOR, settings, 0, "", file);
        TrafficGenerator(settings, options).writeAll(*writer);
    }

    struct Outcome {
        int released = 0;
        int laneChanges = 0;
        int trucks = 0;
        bool ordered = true;
        std::vector<double> finalPositions; // of every vehicle at its last sight
    };

    Outcome run(bool allowLaneChanging, bool driveOnRight, std::uint32_t seed) {
        Sim sim(settings, host);
        sim.m_FileIn = file;
        sim.m_RoadLength = 2000;
        sim.road.trafFileLanesPos = 2;
        sim.road.trafFileLanesNeg = 1;
        sim.road.trafFileLanes = 3;
        sim.road.allowLaneChanging = allowLaneChanging;
        sim.road.driveOnRight = driveOnRight;
        sim.road.vehicleTypes = &types;
        sim.road.generators = RunGenerators::fromSeed(seed);
        bool ok = false;
        sim.init(ok);
        EXPECT_TRUE(ok);

        Outcome outcome;
        std::map<unsigned, int> laneOf;
        std::map<unsigned, double> lastPosition;
        bool running = true;
        for (int step = 0; running && step < 40000; ++step) {
            for (const auto& lane : sim.step(running)) {
                for (std::size_t i = 0; i < lane.size(); ++i) {
                    const Vehicle& v = *lane[i];
                    if (i > 0 && lane[i - 1]->position < v.position)
                        outcome.ordered = false;
                    auto [it, fresh] = laneOf.try_emplace(v.vehicleNo, v.lane);
                    if (fresh && v.vehicleClass != 0)
                        ++outcome.trucks;
                    if (!fresh && it->second != v.lane) {
                        ++outcome.laneChanges;
                        it->second = v.lane;
                    }
                    lastPosition[v.vehicleNo] = v.position;
                }
            }
        }
        EXPECT_FALSE(running) << "the run reaches its end";
        outcome.released = sim.road.releasedCount;
        for (const auto& [no, position] : lastPosition)
            outcome.finalPositions.push_back(position);
        sim.road.clear();
        return outcome;
    }

    CSettings settings;
    CVehicleTypes types;
    test::RecordingHost host;
    test::TempDir dir{"tarlo-driving"};
    std::string file = dir.file("traffic.cas");
};

TEST_F(DrivingTest, TrafficFollowsAndChangesLanesOnEitherSide) {
    for (bool driveOnRight : {true, false}) {
        const Outcome outcome = run(true, driveOnRight, 7);
        EXPECT_GT(outcome.released, 500);
        EXPECT_GT(outcome.trucks, 50) << "trucks are classified as such";
        EXPECT_GT(outcome.laneChanges, 0) << "drive on right " << driveOnRight;
        EXPECT_TRUE(outcome.ordered) << "no vehicle drives through its leader";
        EXPECT_TRUE(host.messages.empty());
    }
}

TEST_F(DrivingTest, LaneChangingSwitchedOffKeepsEveryVehicleInItsLane) {
    const Outcome outcome = run(false, true, 7);
    EXPECT_EQ(outcome.laneChanges, 0);
    EXPECT_TRUE(outcome.ordered);
}

TEST_F(DrivingTest, SameSeedSameRunOtherSeedOtherRun) {
    const Outcome first = run(true, true, 11);
    const Outcome again = run(true, true, 11);
    const Outcome other = run(true, true, 12);
    EXPECT_EQ(first.finalPositions, again.finalPositions);
    EXPECT_EQ(first.laneChanges, again.laneChanges);
    EXPECT_NE(first.finalPositions, other.finalPositions);
}

} // namespace
} // namespace tarlo
