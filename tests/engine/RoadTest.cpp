#include "engine/Road.h"
#include "engine/Sim.h"
#include "project/settings/CSettings.h"
#include "support/RecordingHost.h"
#include "support/TrafficFixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace tarlo {
namespace {

using test::CastorRecord;

class RoadTest : public ::testing::Test {
protected:
    // A constant-velocity run on a 1000 m road with the given lanes per direction.
    std::unique_ptr<Sim> makeSim(const std::vector<CastorRecord>& records, int lanesPos = 2,
                                 int lanesNeg = 1, double timeStep = 0.25) {
        auto sim = std::make_unique<Sim>(settings, host);
        sim->m_FileIn = test::writeCastorFile(dir, "traffic.cas", records);
        sim->m_FileType = FORMAT_CASTOR;
        sim->m_NoLanesDirPos = lanesPos;
        sim->m_NoLanesDirNeg = lanesNeg;
        sim->m_NoDirections = lanesNeg > 0 ? 2 : 1;
        sim->m_NoLanes = lanesPos + lanesNeg;
        sim->m_RoadLength = 1000;
        sim->m_SimTimeStep = timeStep;
        sim->road.trafFileLanesPos = lanesPos;
        sim->road.trafFileLanesNeg = lanesNeg;
        sim->road.trafFileLanes = lanesPos + lanesNeg;
        sim->road.constVelocity = true;
        return sim;
    }

    static CastorRecord at(unsigned second, unsigned direction = 1, unsigned lane = 1) {
        CastorRecord r;
        r.hour = 1;
        r.second = second;
        r.direction = direction;
        r.lane = lane;
        return r;
    }

    CSettings settings;
    test::RecordingHost host;
    test::TempDir dir{"tarlo-road"};
};

TEST_F(RoadTest, NegativeDirectionLanesAreNumberedFromTheOtherEnd) {
    auto sim = makeSim({at(0, 2, 1), at(0, 2, 2), at(0, 1, 2)}, 2, 2);
    bool ok = false;
    sim->init(ok);
    ASSERT_TRUE(ok);
    bool running = true;
    const LaneSnapshot lanes = sim->step(running);
    ASSERT_EQ(lanes.size(), 4u);
    // Releases are in file order, each into its own lane.
    ASSERT_EQ(lanes[3].size(), 1u);
    EXPECT_EQ(lanes[3][0]->vehicleNo, 1u) << "direction 2, lane 1 is road lane 4";
    ASSERT_EQ(lanes[2].size(), 1u);
    EXPECT_EQ(lanes[2][0]->vehicleNo, 2u) << "direction 2, lane 2 is road lane 3";
    ASSERT_EQ(lanes[1].size(), 1u);
    EXPECT_EQ(lanes[1][0]->lane, 2);
    // Negative-direction vehicles are placed from the far end of the road.
    EXPECT_DOUBLE_EQ(lanes[3][0]->globalPosition(), 1000.0 - lanes[3][0]->position);
}

TEST_F(RoadTest, NeighboursFollowTheDrivingSide) {
    struct Case {
        bool driveOnRight, positive;
        // Expected left and right neighbours of array lanes 0..2 (-1: none).
        int left[3], right[3];
    };
    const Case cases[] = {
        {true, true, {1, 2, -1}, {-1, 0, 1}},
        {true, false, {-1, 0, 1}, {1, 2, -1}},
        {false, true, {-1, 0, 1}, {1, 2, -1}},
        {false, false, {1, 2, -1}, {-1, 0, 1}},
    };
    for (const Case& c : cases) {
        Direction direction;
        direction.driveOnRight = c.driveOnRight;
        direction.positive = c.positive;
        direction.init(settings, 0, {1000, 1000, 1000});
        auto indexOf = [&](const Lane* lane) {
            return lane ? static_cast<int>(lane - direction.lanes.data()) : -1;
        };
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(indexOf(direction.lanes[i].leftLane), c.left[i])
                << "right " << c.driveOnRight << " positive " << c.positive << " lane " << i;
            EXPECT_EQ(indexOf(direction.lanes[i].rightLane), c.right[i])
                << "right " << c.driveOnRight << " positive " << c.positive << " lane " << i;
        }
    }
}

TEST_F(RoadTest, LaneBeyondTheTrafficFileLanesStopsReading) {
    auto sim = makeSim({at(0, 1, 1), at(1, 1, 3)}, 3, 1);
    sim->road.trafFileLanesPos = 2;
    bool ok = true;
    sim->init(ok);
    EXPECT_FALSE(ok);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text,
              "The vehicle lane in the traffic file is greater than that specified in the "
              "Simulation Configuration\nVehicle no: 2\tlane: 3\tDirection: 1\n"
              "No more vehicles will be read in.");
    EXPECT_EQ(host.messages[0].icon, MessageIcon::Exclamation);
}

TEST_F(RoadTest, LaneZeroIsRefusedInsteadOfIndexingBeforeTheFirstLane) {
    auto sim = makeSim({at(0, 1, 0)});
    bool ok = true;
    sim->init(ok);
    EXPECT_FALSE(ok);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_NE(host.messages[0].text.find("does not exist on the specified road"),
              std::string::npos);
}

TEST_F(RoadTest, LaneMismatchLaterInTheFileEndsReadingButNotTheRun) {
    std::vector<CastorRecord> records;
    for (unsigned i = 0; i < 12; ++i)
        records.push_back(at(i * 2));
    records[11].lane = 3; // beyond the first block of ten
    records.push_back(at(30));
    auto sim = makeSim(records);
    bool ok = false;
    sim->init(ok);
    ASSERT_TRUE(ok);
    bool running = true;
    int released = 0;
    for (int step = 0; running && step < 2000; ++step)
        sim->step(running);
    released = sim->road.releasedCount;
    EXPECT_FALSE(running) << "the run ends once the road has emptied";
    EXPECT_EQ(released, 11) << "the vehicles read before the mismatch are all released";
    EXPECT_EQ(host.messages.size(), 1u);
}

TEST_F(RoadTest, FirstPendingVehicleBlocksLaterArrivalsOfOtherLanes) {
    // Two vehicles for lane 1 one second apart: the second must wait for room, and the
    // lane-2 vehicle behind it in the file waits too although its time has come.
    CastorRecord slow = at(0);
    slow.speedDm = 10; // 1 m/s: keeps the entrance of lane 1 occupied for a long time
    auto sim = makeSim({slow, at(1), at(1, 1, 2)});
    bool ok = false;
    sim->init(ok);
    ASSERT_TRUE(ok);
    bool running = true;
    LaneSnapshot lanes;
    for (int step = 0; step < 20; ++step) // five seconds
        lanes = sim->step(running);
    EXPECT_EQ(lanes[0].size(), 1u);
    EXPECT_EQ(lanes[1].size(), 0u) << "the lane-2 vehicle waits behind the first pending one";
    EXPECT_EQ(sim->road.pendingCount(), 2u);
}

TEST_F(RoadTest, EntranceSpaceCountsTheRearOfTheLastVehicle) {
    settings.IDM.MIN_SPACE_FOR_NEXT_VEHICLE = 10.0;
    CastorRecord car = at(0);
    car.speedDm = 200; // 20 m/s, 4 m long
    auto sim = makeSim({car, at(0)}, 2, 1, 0.1);
    bool ok = false;
    sim->init(ok);
    bool running = true;
    sim->step(running);
    EXPECT_DOUBLE_EQ(sim->road.lane(1).entrySpace, 2.0 - 4.0);
    sim->step(running);
    EXPECT_EQ(sim->road.lane(1).vehicles.size(), 1u) << "the next vehicle waits for room";
}

TEST_F(RoadTest, VehiclesLeaveTenMetresBeyondTheEndOnePerLanePerStep) {
    CastorRecord first = at(0), second = at(1);
    first.speedDm = second.speedDm = 100; // 10 m/s, 4 m long
    auto sim = makeSim({first, second}, 1, 0, 1.0);
    bool ok = false;
    sim->init(ok);
    ASSERT_TRUE(ok);
    bool running = true;
    LaneSnapshot lanes;
    // Step at time t moves both by 10 m; the first reaches 1000 at t = 3699 and 1010 at
    // t = 3700, which is not beyond L + 10 m.
    while (sim->time < 3700.5)
        lanes = sim->step(running);
    ASSERT_EQ(lanes[0].size(), 2u);
    EXPECT_DOUBLE_EQ(lanes[0][0]->position, 1010.0);
    lanes = sim->step(running);
    ASSERT_EQ(lanes[0].size(), 1u) << "removed in the first step that ends beyond L + 10 m";
    EXPECT_EQ(lanes[0][0]->vehicleNo, 2u);
    EXPECT_TRUE(running);
}

TEST_F(RoadTest, TwoVehiclesPassingTheExitInOneStepLeaveInTwoSteps) {
    settings.IDM.MIN_SPACE_FOR_NEXT_VEHICLE = 5.0;
    CastorRecord slow = at(0), fast = at(0);
    slow.speedDm = 100; // 10 m/s
    fast.speedDm = 250; // 25 m/s, drives through the slow one in constant-velocity mode
    auto sim = makeSim({slow, fast}, 1, 0, 2.0);
    sim->m_RoadLength = 40;
    bool ok = false;
    sim->init(ok);
    bool running = true;
    LaneSnapshot lanes;
    for (int step = 0; step < 3; ++step)
        lanes = sim->step(running);
    // Slow at 60 m, fast at 100 m: both beyond 50 m, only the front one has gone.
    ASSERT_EQ(lanes[0].size(), 1u);
    EXPECT_DOUBLE_EQ(lanes[0][0]->position, 100.0);
    lanes = sim->step(running);
    EXPECT_TRUE(lanes[0].empty());
}

TEST_F(RoadTest, RunEndsInFirstStepAfterTheRoadEmpties) {
    CastorRecord r = at(0);
    r.speedDm = 100;
    auto sim = makeSim({r}, 1, 0, 1.0);
    sim->m_RoadLength = 100;
    bool ok = false;
    EXPECT_EQ(sim->init(ok), 1);
    EXPECT_DOUBLE_EQ(sim->time, 3600.0) << "the clock starts at the first arrival";
    bool running = true;
    int steps = 0;
    while (running && steps < 100) {
        sim->step(running);
        ++steps;
    }
    // Positions 10, 20, ..., 120 m: beyond 110 m after the 12th step.
    EXPECT_EQ(steps, 12);
    EXPECT_EQ(sim->progress, 100);
}

TEST_F(RoadTest, OneDirectionHasNoNegativeLanes) {
    auto sim = makeSim({at(0)}, 2, 0);
    bool ok = false;
    sim->init(ok);
    bool running = true;
    EXPECT_EQ(sim->step(running).size(), 2u);
}

TEST_F(RoadTest, EmptyTrafficFileIsRefusedAtSetUp) {
    auto sim = makeSim({});
    bool ok = true;
    EXPECT_EQ(sim->init(ok), 0);
    EXPECT_FALSE(ok);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "The traffic file " + sim->m_FileIn + " holds no vehicles.");
}

// A set-up that cannot read its traffic file says which file in the first line of its
// message; a FIFO is refused before it is opened, which would wait for a writer.
TEST_F(RoadTest, UnreadableTrafficFilesAreRefusedByName) {
    const std::string fifo = dir.file("traffic.fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string folder = dir.file("folder.cas");
    std::filesystem::create_directory(folder);
    const struct {
        std::string file;
        std::string firstLine;
    } rows[] = {
        {dir.file("absent.cas"), "Cannot read the traffic file " + dir.file("absent.cas")},
        {fifo, "Cannot run from the traffic file " + fifo},
        {folder, "Cannot read the traffic file " + folder + " beyond line 0"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        auto sim = makeSim({at(0)});
        sim->m_FileIn = row.file;
        host.messages.clear();
        bool ok = true;
        sim->init(ok);
        EXPECT_FALSE(ok);
        ASSERT_EQ(host.messages.size(), 1u);
        const std::string& text = host.messages[0].text;
        EXPECT_EQ(text.substr(0, text.find('\n')), row.firstLine);
    }
}

TEST_F(RoadTest, ClearEmptiesTheRoadForTheNextRun) {
    auto sim = makeSim({at(0), at(1), at(2)});
    bool ok = false;
    sim->init(ok);
    bool running = true;
    for (int step = 0; step < 8; ++step)
        sim->step(running);
    sim->road.clear();
    EXPECT_EQ(sim->road.pendingCount(), 0u);
    EXPECT_EQ(sim->road.releasedCount, 0);
    EXPECT_TRUE(sim->road.getVehicles().empty());
    // A second run over the same object starts afresh.
    sim->init(ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(sim->road.pendingCount(), 3u);
}

} // namespace
} // namespace tarlo
