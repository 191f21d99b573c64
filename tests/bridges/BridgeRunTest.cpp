#include "bridges/CBridge.h"
#include "bridges/CInfLineFunction.h"
#include "engine/Sim.h"
#include "project/settings/CSettings.h"
#include "support/RecordingHost.h"
#include "support/TrafficFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace tarlo {
namespace {

// Vehicles crossing a simply supported 20 m span from 100 to 120 at 10 m/s in
// constant-velocity mode, 0.1 s steps, so that the front moves exactly 1 m a step.
class SpanCrossingTest : public ::testing::Test {
protected:
    // Runs the vehicle over the span; returns the mid-span moment of every step, by the
    // front position after the step.
    std::vector<std::pair<double, double>> cross(const test::CastorRecord& record) {
        Sim sim(settings, host);
        sim.m_FileIn = test::writeCastorFile(dir, "one.cas", {record});
        sim.m_NoLanesDirPos = 1;
        sim.m_NoLanesDirNeg = 0;
        sim.m_NoDirections = 1;
        sim.m_NoLanes = 1;
        sim.m_RoadLength = 200;
        sim.m_SimTimeStep = 0.1;
        sim.road.trafFileLanesPos = 1;
        sim.road.trafFileLanes = 1;
        sim.road.constVelocity = true;

        CBridge bridge(1, 200, 1, 100.0, 120.0);
        auto& line = const_cast<CInfluenceLine&>(*bridge.GetLoadEffects()[0]->GetInfLine());
        static_cast<CInfLineFunction&>(line).SetForm(CInfLineFunction::MidSpanMomentSimple);
        bridge.EventManager().setAll(true);
        bridge.SetOutputPath(dir.file(""));
        sim.road.addBridge(bridge);

        bool ok = false;
        sim.init(ok);
        EXPECT_TRUE(ok);
        const CBridge& run = *sim.road.getBridges()[0];
        std::vector<std::pair<double, double>> history;
        bool running = ok;
        double lastTime = -1.0;
        while (running) {
            const LaneSnapshot lanes = sim.step(running);
            // A step without a vehicle in the zone computes nothing.
            if (!run.GetCurValues().empty() && run.GetCurTime() != lastTime) {
                lastTime = run.GetCurTime();
                history.emplace_back(lanes[0][0]->position, run.GetCurValues()[0]);
            }
        }
        sim.road.clear();
        return history;
    }

    // Mid-span moment ordinate of a 20 m simply supported span.
    static double ordinate(double x) {
        if (x < 0.0 || x > 20.0)
            return 0.0;
        return x <= 10.0 ? x / 2.0 : (20.0 - x) / 2.0;
    }

    CSettings settings;
    test::RecordingHost host;
    test::TempDir dir{"tarlo-span"};
};

TEST_F(SpanCrossingTest, SingleAxleFollowsTheClosedFormMoment) {
    test::CastorRecord record;
    record.speedDm = 100;
    record.axles = {{100, 0}}; // one axle of 10 t
    const double weight = 100 * 0.981;
    const auto history = cross(record);
    ASSERT_FALSE(history.empty());
    double maximum = 0.0;
    for (const auto& [front, moment] : history) {
        EXPECT_NEAR(moment, weight * ordinate(front - 100.0), 1e-9) << "front at " << front;
        maximum = std::max(maximum, moment);
    }
    EXPECT_NEAR(maximum, weight * 20.0 / 4.0, 1e-9);

    // The time history file holds the same maximum, to its one decimal.
    const std::string file = dir.file("Br_1_All_100-120.csv");
    ASSERT_TRUE(std::filesystem::exists(file));
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    double fileMaximum = 0.0;
    while (std::getline(in, line))
        fileMaximum = std::max(fileMaximum, std::stod(line.substr(line.find(',') + 1)));
    EXPECT_NEAR(fileMaximum, weight * 5.0, 0.05);
}

TEST_F(SpanCrossingTest, TwoAxlesReachTheKnownMaximum) {
    test::CastorRecord record;
    record.speedDm = 100;
    record.axles = {{50, 40}, {100, 0}}; // 5 t front, 10 t rear, 4 m apart
    const double front = 50 * 0.981, rear = 100 * 0.981;
    const auto history = cross(record);
    double maximum = 0.0;
    for (const auto& [position, moment] : history)
        maximum = std::max(maximum, moment);
    // Largest with the heavy rear axle at mid-span and the front axle 4 m beyond it.
    EXPECT_NEAR(maximum, rear * 5.0 + front * ordinate(14.0), 1e-9);
}

} // namespace
} // namespace tarlo
