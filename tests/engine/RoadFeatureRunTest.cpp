#include "engine/Road.h"
#include "engine/Sim.h"
#include "engine/features/Obstacle.h"
#include "project/CRoadFeature.h"
#include "project/RunConfiguration.h"
#include "project/RunControl.h"
#include "project/settings/CSettings.h"
#include "support/RecordingHost.h"
#include "support/TrafficFixture.h"
#include "vehicles/CVehicleTypes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>

namespace tarlo {
namespace {

using test::CastorRecord;

CRoadFeature feature(int type, double value, int start, int end, bool positive = true,
                     int filter = 100, double adherence = 1.0) {
    CRoadFeature element;
    element.setType(type);
    element.setValue(value);
    element.setStart(start);
    element.setEnd(end);
    element.setDirPos(positive);
    element.setFeatVehType(filter);
    element.setAdherence(adherence);
    return element;
}

CRoadFeature obstacle(double lane, int start, int end, bool positive = true) {
    return feature(CRoadFeature::Obstacle, lane, start, end, positive);
}

// Small runs of whole roads with road features.
class RoadFeatureRunTest : public ::testing::Test {
protected:
    struct Layout {
        int lanesPos = 1, lanesNeg = 0;
        int length = 1000;
        double timeStep = 0.25;
        bool constVelocity = false;
        bool laneChanging = true;
    };

    std::unique_ptr<Sim> makeSim(const std::vector<CastorRecord>& records, const Layout& road,
                                 const std::vector<CRoadFeature>& features) {
        auto sim = std::make_unique<Sim>(settings, host);
        sim->m_FileIn = test::writeCastorFile(dir, "traffic.cas", records);
        sim->m_FileType = FORMAT_CASTOR;
        sim->m_NoLanesDirPos = road.lanesPos;
        sim->m_NoLanesDirNeg = road.lanesNeg;
        sim->m_NoDirections = road.lanesNeg > 0 ? 2 : 1;
        sim->m_NoLanes = road.lanesPos + road.lanesNeg;
        sim->m_RoadLength = road.length;
        sim->m_SimTimeStep = road.timeStep;
        sim->road.trafFileLanesPos = road.lanesPos;
        sim->road.trafFileLanesNeg = road.lanesNeg;
        sim->road.trafFileLanes = road.lanesPos + road.lanesNeg;
        sim->road.constVelocity = road.constVelocity;
        sim->road.allowLaneChanging = road.laneChanging;
        sim->road.vehicleTypes = &types;
        sim->road.generators = RunGenerators::fromSeed(5);
        for (const CRoadFeature& element : features)
            sim->road.addRoadFeature(element);
        return sim;
    }

    // Vehicles every `headway` seconds from 01:00:00, in the given lanes in turn.
    static std::vector<CastorRecord> traffic(unsigned count, unsigned headway,
                                             std::vector<unsigned> lanes = {1}) {
        std::vector<CastorRecord> records;
        for (unsigned i = 0; i < count; ++i) {
            CastorRecord r;
            r.hour = 1;
            r.minute = i * headway / 60;
            r.second = i * headway % 60;
            r.lane = lanes[i % lanes.size()];
            records.push_back(r);
        }
        return records;
    }

    // Steps until the run ends, at most maxSteps; calls look(snapshot) after every step.
    template <class Look> bool runToEnd(Sim& sim, int maxSteps, Look look) {
        bool running = true;
        for (int step = 0; running && step < maxSteps; ++step)
            look(sim.step(running));
        return !running;
    }

    CSettings settings;
    CVehicleTypes types;
    test::RecordingHost host;
    test::TempDir dir{"tarlo-features"};
};

TEST_F(RoadFeatureRunTest, ObstaclesStandInTheirLanesFromTheStart) {
    Layout road;
    road.lanesPos = 2;
    road.lanesNeg = 2;
    auto sim = makeSim(traffic(1, 1), road,
                       {obstacle(2, 100, 300, false), feature(CRoadFeature::SpeedLimit, 80, 0, 900),
                        obstacle(1, 500, 600)});
    bool ok = false;
    sim->init(ok);
    ASSERT_TRUE(ok);

    const Lane& roadLane3 = sim->road.lane(3);
    ASSERT_EQ(roadLane3.vehicles.size(), 1u) << "direction 2, lane 2 is road lane 3";
    const Vehicle& negative = *roadLane3.vehicles[0];
    EXPECT_TRUE(negative.isObstacle());
    EXPECT_EQ(negative.lane, 3);
    EXPECT_EQ(negative.roadLanes, 4);
    EXPECT_DOUBLE_EQ(negative.position, 900.0);
    EXPECT_DOUBLE_EQ(negative.length, 200.0);
    EXPECT_DOUBLE_EQ(negative.globalPosition(), 100.0);
    EXPECT_EQ(negative.vehicleNo, 0u);
    EXPECT_EQ(roadLane3.staticCount, 1);
    EXPECT_DOUBLE_EQ(roadLane3.entrySpace, 700.0);

    const Lane& roadLane1 = sim->road.lane(1);
    ASSERT_EQ(roadLane1.vehicles.size(), 1u);
    EXPECT_DOUBLE_EQ(roadLane1.vehicles[0]->position, 600.0);
    EXPECT_TRUE(sim->road.lane(2).vehicles.empty());
    EXPECT_TRUE(sim->road.lane(4).vehicles.empty());

    // The lanes own the obstacles; the road keeps only the speed limit.
    EXPECT_EQ(sim->road.getSegments(true).size(), 1u);
    EXPECT_TRUE(sim->road.getSegments(false).empty());
    sim->road.clear();
    EXPECT_TRUE(sim->road.getSegments(true).empty());
}

TEST_F(RoadFeatureRunTest, ObstacleLaneMustExistOnTheRoad) {
    struct Case {
        const char* what;
        double lane;
        bool positive;
        int lanesNeg;
        int roadLane; // 0: refused
    };
    const Case cases[] = {
        {"a road lane the traffic file does not use", 2, true, 1, 2},
        {"the whole part of the value", 1.7, true, 1, 1},
        {"negative direction, inside lane", 1, false, 2, 4},
        {"beyond the road's lanes", 3, true, 1, 0},
        {"lane 0", 0, true, 1, 0},
        {"not a number", std::nan(""), true, 1, 0},
        {"a direction the road does not have", 1, false, 0, 0},
    };
    for (const Case& c : cases) {
        Layout road;
        road.lanesPos = 2;
        road.lanesNeg = c.lanesNeg;
        auto sim = makeSim(traffic(1, 1), road, {obstacle(c.lane, 100, 200, c.positive)});
        sim->road.trafFileLanesPos = 1;
        host.messages.clear();
        bool ok = true;
        sim->init(ok);
        EXPECT_EQ(ok, c.roadLane != 0) << c.what;
        if (c.roadLane != 0) {
            ASSERT_EQ(sim->road.lane(c.roadLane).vehicles.size(), 1u) << c.what;
            EXPECT_TRUE(sim->road.lane(c.roadLane).vehicles[0]->isObstacle()) << c.what;
            EXPECT_TRUE(host.messages.empty()) << c.what;
        } else {
            ASSERT_EQ(host.messages.size(), 1u) << c.what;
            EXPECT_EQ(host.messages[0].text.rfind("The obstacle lane does not exist on the "
                                                  "specified road\nObstacle lane: ",
                                                  0),
                      0u)
                << host.messages[0].text;
            EXPECT_EQ(host.messages[0].icon, MessageIcon::Exclamation);
        }
        sim->road.clear();
    }
    Layout road;
    road.lanesPos = 2;
    road.lanesNeg = 1;
    auto sim = makeSim(traffic(1, 1), road, {obstacle(3, 100, 200)});
    bool ok = true;
    sim->init(ok);
    EXPECT_EQ(host.messages.back().text, "The obstacle lane does not exist on the specified road\n"
                                         "Obstacle lane: 3\tDirection: 1");
    sim->road.clear();
}

TEST_F(RoadFeatureRunTest, VehiclesStopBehindAnObstacle) {
    Layout road;
    road.laneChanging = false;
    auto sim = makeSim(traffic(2, 4), road, {obstacle(1, 400, 450)});
    bool ok = false;
    sim->init(ok);
    ASSERT_TRUE(ok);
    bool running = true;
    for (int step = 0; step < 800; ++step)
        sim->step(running);
    EXPECT_TRUE(running) << "nobody can get past";
    const Lane& lane = sim->road.lane(1);
    ASSERT_EQ(lane.vehicles.size(), 3u);
    const Vehicle& first = *lane.vehicles[1];
    const Vehicle& second = *lane.vehicles[2];
    EXPECT_LT(first.position, 400.0);
    EXPECT_GT(first.position, 390.0);
    EXPECT_LT(first.speed, 0.01);
    EXPECT_LT(second.position, first.position - first.length);
    EXPECT_LT(second.speed, 0.01);
    sim->road.clear();
}

TEST_F(RoadFeatureRunTest, TrafficGoesAroundAnObstacleAndTheRunEnds) {
    Layout road;
    road.lanesPos = 2;
    road.length = 1200;
    auto sim = makeSim(traffic(12, 3), road, {obstacle(1, 400, 450)});
    bool ok = false;
    sim->init(ok);
    ASSERT_TRUE(ok);
    bool throughObstacle = false;
    bool ordered = true;
    const bool ended = runToEnd(*sim, 20000, [&](const LaneSnapshot& lanes) {
        const std::vector<Vehicle*>& lane1 = lanes[0];
        for (std::size_t i = 0; i < lane1.size(); ++i) {
            if (!lane1[i]->isObstacle() && lane1[i]->position > 400.0 &&
                lane1[i]->position - lane1[i]->length < 450.0)
                throughObstacle = true;
            if (i > 0 && lane1[i - 1]->position < lane1[i]->position)
                ordered = false;
        }
    });
    EXPECT_TRUE(ended);
    EXPECT_EQ(sim->road.releasedCount, 12);
    EXPECT_FALSE(throughObstacle);
    EXPECT_TRUE(ordered);
    ASSERT_EQ(sim->road.lane(1).vehicles.size(), 1u);
    EXPECT_TRUE(sim->road.lane(1).vehicles[0]->isObstacle());
    sim->road.clear();
}

TEST_F(RoadFeatureRunTest, InConstantVelocityModeVehiclesDriveThroughAnObstacleAndLeave) {
    Layout road;
    road.constVelocity = true;
    auto sim = makeSim(traffic(6, 2), road, {obstacle(1, 400, 450), obstacle(1, 600, 700)});
    bool ok = false;
    sim->init(ok);
    ASSERT_TRUE(ok);
    const bool ended = runToEnd(*sim, 5000, [](const LaneSnapshot&) {});
    EXPECT_TRUE(ended);
    EXPECT_EQ(sim->road.releasedCount, 6);
    const Lane& lane = sim->road.lane(1);
    EXPECT_EQ(lane.vehicles.size(), 2u);
    EXPECT_EQ(lane.staticCount, 2);
    sim->road.clear();
}

TEST_F(RoadFeatureRunTest, AnObstacleAtTheEntranceClosesItsLaneToArrivals) {
    struct Case {
        int start, end;
        bool closed;
    };
    // MIN_SPACE_FOR_NEXT_VEHICLE is 27 m.
    for (const Case c : {Case{10, 40, true}, Case{30, 60, false}}) {
        Layout road;
        road.lanesPos = 2;
        road.constVelocity = true;
        // Lane 1 first, then lane 2, which the obstacle leaves open.
        auto sim = makeSim(traffic(2, 1, {1, 2}), road, {obstacle(1, c.start, c.end)});
        bool ok = false;
        sim->init(ok);
        ASSERT_TRUE(ok);
        bool running = true;
        for (int step = 0; step < 200; ++step)
            sim->step(running);
        if (c.closed) {
            EXPECT_TRUE(running);
            EXPECT_EQ(sim->road.releasedCount, 0) << "the later arrival in lane 2 waits too";
            EXPECT_EQ(sim->road.pendingCount(), 2u);
        } else {
            EXPECT_FALSE(running);
            EXPECT_EQ(sim->road.releasedCount, 2);
        }
        sim->road.clear();
    }
}

TEST_F(RoadFeatureRunTest, SpeedLimitSlowsTheDriversItAppliesTo) {
    struct Case {
        int filter;
        double adherence;
        bool carsSlow, trucksSlow;
    };
    const Case cases[] = {
        {CRoadFeature::AllVehicles, 1.0, true, true},
        {CRoadFeature::Cars, 1.0, true, false},
        {CRoadFeature::AllTrucks, 1.0, false, true},
        {CRoadFeature::AllVehicles, 0.0, false, false},
    };
    for (const Case& c : cases) {
        // Cars (15 t, within the default car limit) and small trucks (40 t) in turn, at
        // 25 m/s and far enough apart never to meet.
        std::vector<CastorRecord> records = traffic(8, 40);
        for (std::size_t i = 1; i < records.size(); i += 2)
            records[i].gvwDt = 400;
        Layout road;
        road.length = 1500;
        auto sim = makeSim(
            records, road,
            {feature(CRoadFeature::SpeedLimit, 50.0, 300, 700, true, c.filter, c.adherence)});
        bool ok = false;
        sim->init(ok);
        ASSERT_TRUE(ok);

        struct Seen {
            int vehicleClass = -1;
            double fastestInside = 0.0;
            double slowestAfter = std::numeric_limits<double>::infinity();
        };
        std::map<unsigned, Seen> seen;
        const bool ended = runToEnd(*sim, 5000, [&](const LaneSnapshot& lanes) {
            for (const Vehicle* v : lanes[0]) {
                Seen& s = seen[v->vehicleNo];
                s.vehicleClass = v->vehicleClass;
                if (v->position > 550.0 && v->position <= 700.0)
                    s.fastestInside = std::max(s.fastestInside, v->speed);
                if (v->position > 1200.0 && v->position <= 1400.0)
                    s.slowestAfter = std::min(s.slowestAfter, v->speed);
            }
        });
        EXPECT_TRUE(ended);
        ASSERT_EQ(seen.size(), 8u);
        for (const auto& [no, s] : seen) {
            const bool slow = s.vehicleClass == 0 ? c.carsSlow : c.trucksSlow;
            // 50 km/h is 13.9 m/s; scaled by the driver's share of the mean, below 16 m/s.
            if (slow) {
                EXPECT_LT(s.fastestInside, 16.0) << "filter " << c.filter << " vehicle " << no;
            } else {
                EXPECT_GT(s.fastestInside, 18.0) << "filter " << c.filter << " vehicle " << no;
            }
            EXPECT_GT(s.slowestAfter, 18.0) << "filter " << c.filter << " vehicle " << no;
        }
        sim->road.clear();
    }
}

TEST_F(RoadFeatureRunTest, TheRunSetUpAddsTheProjectsFeatures) {
    RunConfiguration config;
    config.m_FileIn = test::writeCastorFile(dir, "traffic.cas", traffic(1, 1));
    config.m_bAutoDir = false;
    config.m_NoDirections = 2;
    config.m_NoLanesDirPos = 2;
    config.m_NoLanesDirNeg = 2;
    config.m_NoLanes = 4;
    config.m_TrafFileNoLanesDirPos = 2;
    config.m_TrafFileNoLanesDirNeg = 2;
    config.m_RoadLength = 1000;
    config.m_vRoadFeatures = {obstacle(2, 100, 300, false),
                              feature(CRoadFeature::Gradient, 3.0, 200, 400, false),
                              feature(CRoadFeature::Bias, 0.5, 100, 300)};
    Sim sim(settings, host);
    RunControl control(config, sim, settings, host, [] { return std::string("Doc.tlp"); });
    control.toggleMuteDetectors();
    ASSERT_TRUE(control.initSimulation());
    // Measured from the far end of a road whose length the road only learns at set-up.
    ASSERT_EQ(sim.road.lane(3).vehicles.size(), 1u);
    EXPECT_DOUBLE_EQ(sim.road.lane(3).vehicles[0]->position, 900.0);
    ASSERT_EQ(sim.road.getSegments(false).size(), 1u);
    EXPECT_EQ(sim.road.getSegments(false)[0]->start, 600);
    EXPECT_EQ(sim.road.getSegments(false)[0]->end, 800);
    EXPECT_EQ(sim.road.getSegments(true).size(), 1u);
    sim.road.clear();
}

} // namespace
} // namespace tarlo
