#include "detectors/LaneChangeEvent.h"
#include "engine/Direction.h"
#include "engine/DriverModel.h"
#include "project/settings/CSettings.h"

#include <gtest/gtest.h>

namespace tarlo {
namespace {

// A driver whose incentives are fixed: `outward` for the outside lane, `inward` for the
// inside lane.
class FixedIncentiveDriver : public DriverModel {
public:
    FixedIncentiveDriver(double outward, double inward) : m_Outward(outward), m_Inward(inward) {}
    double getDesiredSpeed() const override { return 30.0; }
    void setSpeed(double) override {}
    double acceleration(double, double) override { return 0.0; }
    double laneChangeIncentive(const Vehicle*, const Vehicle*, const Vehicle*, const Vehicle*,
                               Vehicle&, bool outward) override {
        return outward ? m_Outward : m_Inward;
    }

private:
    double m_Outward, m_Inward;
};

class Recorder : public LaneChangeRecorder {
public:
    void recordEvent(const LaneChangeEvent& event) override { events.push_back(event); }
    std::vector<LaneChangeEvent> events;
};

class LaneChangingTest : public ::testing::Test {
protected:
    void makeDirection(int lanes, bool positive = true, bool driveOnRight = true) {
        direction.positive = positive;
        direction.driveOnRight = driveOnRight;
        direction.timeStep = 0.25;
        direction.length = 1000.0;
        direction.init(settings, positive ? 0 : 1, std::vector<double>(lanes, 1000.0));
    }

    Vehicle& place(int arrayLane, double position, double outward, double inward,
                   bool allowed = true) {
        auto vehicle = std::make_unique<Vehicle>(settings);
        vehicle->position = position;
        vehicle->length = 4.0;
        vehicle->dirPositive = direction.positive;
        vehicle->driveOnRight = direction.driveOnRight;
        vehicle->lane = direction.lanes[arrayLane].index + 1;
        vehicle->laneChangeAllowed = allowed;
        vehicle->driver = std::make_shared<FixedIncentiveDriver>(outward, inward);
        Vehicle& ref = *vehicle;
        direction.lanes[arrayLane].appendVehicle(std::move(vehicle));
        return ref;
    }

    std::vector<double> positions(int arrayLane) const {
        std::vector<double> result;
        for (const auto& v : direction.lanes[arrayLane].vehicles)
            result.push_back(v->position);
        return result;
    }

    CSettings settings;
    Direction direction;
};

TEST_F(LaneChangingTest, FrontVehicleNeverChanges) {
    makeDirection(2);
    place(0, 500.0, 5.0, 5.0);
    direction.lanes[0].considerLaneChanges();
    EXPECT_EQ(direction.lanes[0].vehicles.size(), 1u);
}

TEST_F(LaneChangingTest, SingleLaneOrDisabledMeansNoChange) {
    makeDirection(1);
    place(0, 500.0, 5.0, 5.0);
    place(0, 400.0, 5.0, 5.0);
    direction.lanes[0].considerLaneChanges();
    EXPECT_EQ(direction.lanes[0].vehicles.size(), 2u);

    Direction disabled;
    disabled.allowLaneChanging = false;
    disabled.init(settings, 0, {1000.0, 1000.0});
    direction = std::move(disabled);
    place(0, 500.0, 5.0, 5.0);
    place(0, 400.0, 5.0, 5.0);
    direction.lanes[0].considerLaneChanges();
    EXPECT_EQ(direction.lanes[0].vehicles.size(), 2u);
}

TEST_F(LaneChangingTest, SideChoiceByIncentive) {
    struct Case {
        bool driveOnRight;
        double outward, inward;
        int expectedArrayLane; // of the middle lane's second vehicle; 1 stays
    };
    // Positive direction, three lanes: array lane 0 inside, 2 outside.
    const Case cases[] = {
        {true, 0.5, 0.2, 2},       // driving on the right, outward pays more: left = outside
        {true, 0.2, 0.5, 0},       // inward pays more: right = inside
        {true, 0.3, 0.3, 0},       // a tie goes to the right lane
        {false, 0.3, 0.3, 2},      // on the left the right lane is the outside one
        {true, 0.00005, 0.00009, 1}, // both below 0.0001: no change
        {true, -1.0, -1.0, 1},
    };
    for (const Case& c : cases) {
        direction = Direction();
        makeDirection(3, true, c.driveOnRight);
        place(1, 600.0, 0.0, 0.0);
        place(1, 500.0, c.outward, c.inward);
        direction.lanes[1].considerLaneChanges();
        const int lane = positions(0).size() == 1 ? 0 : positions(2).size() == 1 ? 2 : 1;
        EXPECT_EQ(lane, c.expectedArrayLane)
            << c.driveOnRight << " " << c.outward << " " << c.inward;
    }
}

TEST_F(LaneChangingTest, VehicleWaitingForItsDelayStays) {
    makeDirection(2);
    place(0, 600.0, 0.0, 0.0);
    place(0, 500.0, 5.0, 5.0, false);
    direction.lanes[0].considerLaneChanges();
    EXPECT_EQ(direction.lanes[0].vehicles.size(), 2u);
}

TEST_F(LaneChangingTest, NeighboursAroundAPosition) {
    makeDirection(1);
    Lane& lane = direction.lanes[0];
    EXPECT_EQ(lane.findNeighbours(100.0).leader, nullptr);
    EXPECT_EQ(lane.findNeighbours(100.0).insertIndex, 0u);
    place(0, 300.0, 0, 0);
    place(0, 200.0, 0, 0);
    place(0, 100.0, 0, 0);
    struct Case {
        double x;
        double leader, follower; // positions, -1: none
        std::size_t index;
    };
    const Case cases[] = {
        {350.0, -1, 300.0, 0}, {250.0, 300.0, 200.0, 1}, {200.0, 200.0, 100.0, 2},
        {50.0, 100.0, -1, 3},
    };
    for (const Case& c : cases) {
        const Lane::Neighbours n = lane.findNeighbours(c.x);
        EXPECT_EQ(n.leader ? n.leader->position : -1.0, c.leader) << c.x;
        EXPECT_EQ(n.follower ? n.follower->position : -1.0, c.follower) << c.x;
        EXPECT_EQ(n.insertIndex, c.index) << c.x;
    }
}

// The lane-change pass searches a neighbouring lane with a moving index (or, when the lane
// is out of order, by bisection); it must answer as the scan from the back does, for
// lanes in order with vehicles level with each other and for lanes out of order (as
// constant-velocity vehicles leave them), with the positions asked front to back or not.
TEST_F(LaneChangingTest, TheSearchOfANeighbourLaneAnswersAsTheScanFromTheBack) {
    struct Case {
        const char* name;
        std::vector<double> lane;
        std::vector<double> asked;
    };
    const Case cases[] = {
        {"empty", {}, {100.0, 0.0}},
        {"in order, front to back",
         {900, 700, 700, 500, 300, 100},
         {950, 900, 800, 700, 700, 650, 500, 200, 100, 50, 0}},
        {"in order, out of turn", {900, 700, 700, 500, 300, 100}, {100, 950, 700, 300, 0, 650}},
        {"out of order", {500, 900, 100, 700, 700, 300}, {950, 900, 800, 700, 600, 300, 50}},
        {"out of order, out of turn", {500, 900, 100, 700, 300}, {50, 900, 600, 950, 300, 500}},
    };
    for (const Case& c : cases) {
        makeDirection(1);
        Lane& lane = direction.lanes[0];
        for (const double position : c.lane)
            place(0, position, 0, 0);
        lane.forgetNeighbourSearch();
        for (const double x : c.asked) {
            const Lane::Neighbours want = lane.findNeighbours(x);
            const Lane::Neighbours got = lane.searchNeighbours(x);
            EXPECT_EQ(got.insertIndex, want.insertIndex) << c.name << ", at " << x;
            EXPECT_EQ(got.leader, want.leader) << c.name << ", at " << x;
            EXPECT_EQ(got.follower, want.follower) << c.name << ", at " << x;
        }
    }
}

TEST_F(LaneChangingTest, ChangeKeepsTheTargetOrderedAndReportsTheEvent) {
    makeDirection(2, false); // negative direction: road lanes 2 and 3 of a 3-lane road
    Recorder recorder;
    direction.lanes[1].hasLaneChangeDetector = true;
    direction.lanes[1].laneChangeDetector = &recorder;
    place(0, 700.0, 0, 0);
    place(0, 300.0, 0, 0);
    place(1, 800.0, 0, 0);
    // In the negative direction array lane 1 is the inside lane; its outside neighbour,
    // array lane 0, is on the left when driving on the right.
    Vehicle& changer = place(1, 450.7, 1.0, 0.0);
    changer.laneChangeTimer = 1.0;
    direction.lanes[1].considerLaneChanges();

    EXPECT_EQ(positions(0), (std::vector<double>{700.0, 450.7, 300.0}));
    EXPECT_EQ(positions(1), (std::vector<double>{800.0}));
    const Vehicle& moved = *direction.lanes[0].vehicles[1];
    EXPECT_EQ(moved.lane, 2);
    EXPECT_FALSE(moved.laneChangeAllowed);
    EXPECT_EQ(moved.laneChangeTimer, 0.0);
    ASSERT_EQ(recorder.events.size(), 1u);
    const LaneChangeEvent& event = recorder.events[0];
    EXPECT_EQ(event.position, 549); // global position 1000 - 450.7, truncated
    EXPECT_EQ(event.fromLane, 3);
    EXPECT_EQ(event.toLane, 2);
    EXPECT_TRUE(event.left);
    EXPECT_FALSE(event.positiveDirection);
}

TEST_F(LaneChangingTest, LaneWithoutRecorderCreatesNoEvent) {
    makeDirection(2);
    Recorder recorder;
    direction.lanes[0].laneChangeDetector = &recorder; // present but not watching
    place(0, 600.0, 0, 0);
    place(0, 500.0, 1.0, 0.0);
    direction.lanes[0].considerLaneChanges();
    EXPECT_EQ(direction.lanes[1].vehicles.size(), 1u);
    EXPECT_TRUE(recorder.events.empty());
}

} // namespace
} // namespace tarlo
