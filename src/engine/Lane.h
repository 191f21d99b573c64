#pragma once

#include "detectors/DetectorIndex.h"
#include "engine/Vehicle.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace tarlo {

class CBridge;
class CSettings;
class Detector;
class LaneChangeRecorder;
class RoadSegment;

// One lane of one direction. It owns its vehicles, ordered front first (index 0 is the
// furthest along), and moves them each step.
class Lane {
public:
    Lane(const CSettings& settings, int index, double length, double timeStep, bool positive,
         bool allowLaneChanging);
    Lane(Lane&&) = default;
    Lane& operator=(Lane&&) = default;

    // Accelerations of every occupant from the back to the front, each behind its leader.
    void computeAccelerations();
    // Lets every vehicle but the front one change to a neighbouring lane when that pays.
    void considerLaneChanges();
    // Moves every occupant but the static ones, telling the detectors, the road segments and
    // then the bridges of each move, and removes the front moving one once it has passed
    // the road end by more than 10 m (at most one per step). Returns whether the lane is
    // finished.
    bool move();
    // Takes a released vehicle at the back of the lane.
    void appendVehicle(std::unique_ptr<Vehicle> vehicle);
    // Takes a static occupant (an obstacle) behind every occupant at or ahead of it.
    void placeStatic(std::unique_ptr<Vehicle> vehicle);
    void insertVehicle(std::size_t index, std::unique_ptr<Vehicle> vehicle);
    void clear();

    // The vehicles around a position: the first one at or ahead of it, scanning from the
    // back, and the one behind that; a vehicle level with the position is the leader.
    struct Neighbours {
        const Vehicle* leader = nullptr;
        const Vehicle* follower = nullptr;
        std::size_t insertIndex = 0;
    };
    Neighbours findNeighbours(double position) const;
    // The same answer as findNeighbours, for the lane-change pass of a neighbouring lane:
    // O(1) amortised when the positions come front to back and the occupants are in order,
    // O(log n) when they are not (vehicles drive through each other in constant-velocity
    // mode). forgetNeighbourSearch() must come first whenever the lane may have changed
    // other than by the pass's own changes into it.
    Neighbours searchNeighbours(double position) {
        if (!m_bSearchReady)
            prepareNeighbourSearch();
        if (!m_bOrdered)
            return searchUnordered(position);
        // k: one past the last vehicle, from the front, at or ahead of the position.
        std::size_t k = std::min(m_SearchIndex, vehicles.size());
        while (k < vehicles.size() && vehicles[k]->position >= position)
            ++k;
        while (k > 0 && vehicles[k - 1]->position < position)
            --k;
        m_SearchIndex = k;
        return neighboursAt(k);
    }
    void forgetNeighbourSearch() { m_bSearchReady = false; }

    // A lane is finished when it holds no vehicle other than static ones.
    bool finished() const { return vehicles.size() == static_cast<std::size_t>(staticCount); }

    std::vector<std::unique_ptr<Vehicle>> vehicles;
    double timeStep;
    int index;
    double length;
    double entrySpace;
    bool allowLaneChanging;
    bool positive;
    double time = 0.0;
    int staticCount = 0;
    Lane* leftLane = nullptr;
    Lane* rightLane = nullptr;
    double bridgeBuffer;
    // Gives the lane the road's bridges.
    void setBridges(std::vector<CBridge*> list);
    // The road's bridges; a vehicle is listed by each while near it.
    std::vector<CBridge*> bridges;
    // Gives the lane every detector of its direction.
    void setDetectors(std::vector<Detector*> list);
    // Every detector of the lane's direction.
    std::vector<Detector*> detectors;
    // Every road segment of the lane's direction, sorted by start.
    std::vector<RoadSegment*> segments;
    // The detectors by where they watch, for the pass checks of the moves.
    DetectorIndex detectorIndex;
    bool hasLaneChangeDetector = false;
    LaneChangeRecorder* laneChangeDetector = nullptr;

    // Distance beyond the lane end at which a vehicle leaves the road.
    static constexpr double exitDistance = 10.0;

private:
    // Notes whether the occupants are in order and, when they are not, the greatest
    // position at or behind each index.
    void prepareNeighbourSearch();
    // searchNeighbours in a lane out of order, by bisection.
    Neighbours searchUnordered(double position) const;
    // The neighbours when the first k occupants are at or ahead of the position.
    Neighbours neighboursAt(std::size_t k) const {
        Neighbours result;
        result.insertIndex = k;
        if (k > 0)
            result.leader = vehicles[k - 1].get();
        if (k < vehicles.size())
            result.follower = vehicles[k].get();
        return result;
    }

    // The moves of move(), with their pass checks, segments and bridges.
    template <bool WatchesChangingStretches> void moveVehicles();
    void checkDetectors(Vehicle& vehicle) const {
        detectorIndex.passCheck(vehicle, vehicle.previousPosition, vehicle.position, time);
    }
    void crossSegments(Vehicle& vehicle) const;
    void trackBridges(Vehicle& vehicle) const;

    // Evaluates a change for vehicle i of a lane with a neighbour; true when it has left this
    // lane (its slot is then empty and the caller erases it).
    bool tryLaneChange(std::size_t i);
    // Moves vehicle i into the lane chosen by `result` (1 left, 2 right).
    Lane& changeLane(std::size_t i, int result, std::size_t leftIndex, std::size_t rightIndex);

    // The positions, ascending, where a vehicle of this lane is put on or taken off a
    // bridge's list.
    std::vector<double> m_vBridgeEdges;

    bool m_bSearchReady = false;
    bool m_bOrdered = true;
    // Where the last search in an ordered lane ended; the next one starts there.
    std::size_t m_SearchIndex = 0;
    // Unordered lanes: the greatest position from each index to the back.
    std::vector<double> m_vGreatestBehind;
};

} // namespace tarlo
