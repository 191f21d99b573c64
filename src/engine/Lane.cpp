#include "engine/Lane.h"

#include "bridges/CBridge.h"
#include "detectors/Detector.h"
#include "detectors/LaneChangeEvent.h"
#include "engine/DriverModel.h"
#include "engine/features/RoadSegment.h"
#include "project/settings/CSettings.h"

#include <algorithm>
#include <limits>

namespace tarlo {

Lane::Lane(const CSettings& settings, int index, double length, double timeStep, bool positive,
           bool allowLaneChanging)
    : timeStep(timeStep), index(index), length(length),
      entrySpace(settings.IDM.MIN_SPACE_FOR_NEXT_VEHICLE), allowLaneChanging(allowLaneChanging),
      positive(positive), bridgeBuffer(settings.Road.BRIDGE_ON_BUFFER) {}

void Lane::computeAccelerations() {
    // Read once: the compiler cannot tell that the stores into the vehicles leave them alone.
    const bool changing = allowLaneChanging;
    const double dt = timeStep;
    const std::unique_ptr<Vehicle>* const slots = vehicles.data();
    for (std::size_t i = vehicles.size(); i-- > 0;) {
        Vehicle& vehicle = *slots[i];
        const Vehicle* leader = i > 0 ? slots[i - 1].get() : nullptr;
        vehicle.tickLaneChangeTimer(dt);
        vehicle.leader = leader;
        // Only the lane-change rule asks again for accelerations worked out here.
        if (vehicle.constVelocity)
            vehicle.accel = 0.0;
        else
            vehicle.accel =
                changing ? vehicle.firstKnownAcceleration(leader) : vehicle.acceleration(leader);
        vehicle.gap = leader ? leader->position - leader->length - vehicle.position : 0.0;
    }
}

void Lane::considerLaneChanges() {
    if (!allowLaneChanging || vehicles.size() < 2 || (!leftLane && !rightLane))
        return;
    // Front to back, each vehicle seeing the lane as the changes ahead of it left it; the
    // front vehicle never changes. The neighbours have moved since they were last searched.
    if (leftLane)
        leftLane->forgetNeighbourSearch();
    if (rightLane)
        rightLane->forgetNeighbourSearch();
    for (std::size_t i = 1; i < vehicles.size();) {
        const Vehicle& vehicle = *vehicles[i];
        if (!vehicle.isObstacle() && vehicle.laneChangeAllowed && tryLaneChange(i))
            vehicles.erase(vehicles.begin() + static_cast<std::ptrdiff_t>(i));
        else
            ++i;
    }
}

bool Lane::tryLaneChange(std::size_t i) {
    Vehicle& vehicle = *vehicles[i];
    const Vehicle* leader = vehicles[i - 1].get();
    const Vehicle* follower = i + 1 < vehicles.size() ? vehicles[i + 1].get() : nullptr;
    const Neighbours left = leftLane ? leftLane->searchNeighbours(vehicle.position) : Neighbours{};
    const Neighbours right =
        rightLane ? rightLane->searchNeighbours(vehicle.position) : Neighbours{};
    const int result =
        vehicle.chooseLane(leader, follower, left.leader, left.follower, right.leader,
                           right.follower, leftLane != nullptr, rightLane != nullptr);
    if (result == 0)
        return false;
    changeLane(i, result, left.insertIndex, right.insertIndex);
    return true;
}

Lane::Neighbours Lane::findNeighbours(double position) const {
    std::size_t k = vehicles.size();
    while (k > 0 && vehicles[k - 1]->position < position)
        --k;
    // k is now one past the first vehicle, from the back, at or ahead of the position.
    return neighboursAt(k);
}

void Lane::prepareNeighbourSearch() {
    m_bSearchReady = true;
    m_SearchIndex = 0;
    m_bOrdered = std::is_sorted(vehicles.begin(), vehicles.end(), [](const auto& a, const auto& b) {
        return a->position > b->position;
    });
    m_vGreatestBehind.clear();
    if (m_bOrdered)
        return;
    m_vGreatestBehind.resize(vehicles.size());
    double greatest = -std::numeric_limits<double>::infinity();
    for (std::size_t i = vehicles.size(); i-- > 0;)
        m_vGreatestBehind[i] = greatest = std::max(greatest, vehicles[i]->position);
}

Lane::Neighbours Lane::searchUnordered(double position) const {
    // One past the last index whose greatest position behind reaches the position.
    const auto k = static_cast<std::size_t>(
        std::partition_point(m_vGreatestBehind.begin(), m_vGreatestBehind.end(),
                             [position](double greatest) { return greatest >= position; }) -
        m_vGreatestBehind.begin());
    return neighboursAt(k);
}

Lane& Lane::changeLane(std::size_t i, int result, std::size_t leftIndex, std::size_t rightIndex) {
    std::unique_ptr<Vehicle> vehicle = std::move(vehicles[i]);
    const int oldLane = vehicle->lane;
    const double x = positive ? vehicle->position : length - vehicle->position;
    vehicle->laneChangeAllowed = false;
    vehicle->laneChangeTimer = 0.0;

    const bool toLeft = result == 1;
    Lane& target = toLeft ? *leftLane : *rightLane;
    const std::size_t at = toLeft ? leftIndex : rightIndex;
    vehicle->lane = target.index + 1;
    if (hasLaneChangeDetector)
        laneChangeDetector->recordEvent(
            LaneChangeEvent(static_cast<int>(x), oldLane, vehicle->lane, toLeft, time, *vehicle));
    if (at < target.vehicles.size()) {
        target.insertVehicle(at, std::move(vehicle));
    } else {
        target.entrySpace = vehicle->position - vehicle->length;
        target.vehicles.push_back(std::move(vehicle));
    }
    // Put where the search said, it leaves an ordered lane in order.
    if (!target.m_bOrdered)
        target.forgetNeighbourSearch();
    return target;
}

// Without segments, a move that ends short of where the vehicle may next reach a detector or
// a bridge edge tells no one, unless a detector whose stretch changes watches every move. Only
// the pass checks can make one start or stop doing so within the loop. Built twice, so that a
// lane without such detectors does not ask about them.
template <bool WatchesChangingStretches> void Lane::moveVehicles() {
    const bool holdsStatic = staticCount > 0;
    const bool hasSegments = !segments.empty();
    bool tellEveryMove = WatchesChangingStretches && detectorIndex.someWatchEveryMove();
    const double dt = timeStep;
    for (auto& slot : vehicles) {
        Vehicle& vehicle = *slot;
        // A static occupant stays where it stands: there is nothing to tell anyone.
        if (holdsStatic && vehicle.isObstacle())
            continue;
        vehicle.updateKinematics(dt);
        if (!hasSegments && !tellEveryMove && vehicle.position < vehicle.detectorCheckFrom &&
            vehicle.position < vehicle.bridgeCheckFrom)
            continue;
        checkDetectors(vehicle);
        if constexpr (WatchesChangingStretches)
            tellEveryMove = detectorIndex.someWatchEveryMove();
        if (hasSegments)
            crossSegments(vehicle);
        if (vehicle.position >= vehicle.bridgeCheckFrom)
            trackBridges(vehicle);
    }
}

bool Lane::move() {
    if (finished())
        return true;
    if (detectorIndex.hasChangingStretches())
        moveVehicles<true>();
    else
        moveVehicles<false>();
    const Vehicle& last = *vehicles.back();
    entrySpace = last.position - last.length;
    // In constant-velocity mode vehicles drive through an obstacle ahead of them, so the
    // front moving vehicle is the one that may leave.
    auto front = vehicles.begin();
    if (staticCount > 0)
        front = std::find_if(vehicles.begin(), vehicles.end(),
                             [](const auto& vehicle) { return !vehicle->isObstacle(); });
    if ((*front)->position > length + exitDistance) {
        // No detector or bridge may read a vehicle that has left the road.
        for (Detector* detector : detectors)
            detector->vehicleLeaving(**front);
        for (CBridge* bridge : bridges)
            bridge->RemoveVehicle(front->get());
        vehicles.erase(front);
    }
    return finished();
}

void Lane::setDetectors(std::vector<Detector*> list) {
    detectors = std::move(list);
    detectorIndex = DetectorIndex(detectors);
}

// A move covers the stretch of road (p0, p1]; a vehicle's first move from the entrance
// covers [0, p1], so a stretch that starts at the entrance is entered by every new vehicle.
// A vehicle that did not move crosses nothing, and a stretch reached and passed within one
// move is neither entered nor left. The segments are sorted by start: none from the first
// that starts beyond p1 on is reached. When the vehicle leaves a stretch and enters none,
// the first stretch it is still inside is entered again (overlapping stretches), or, when
// there is none, the driver returns to its drawn desired speed.
void Lane::crossSegments(Vehicle& vehicle) const {
    const double p0 = vehicle.previousPosition;
    const double p1 = vehicle.position;
    if (segments.empty() || !(p0 < p1))
        return;
    bool entered = false;
    bool left = false;
    for (RoadSegment* segment : segments) {
        const double start = segment->start;
        if (start > p1)
            break;
        const double end = segment->end;
        const bool reachesStart = p0 < start || (p0 == 0.0 && start <= 0.0);
        const bool passesEnd = p0 < end && end <= p1;
        if (reachesStart && passesEnd)
            continue;
        if (reachesStart) {
            segment->enter(vehicle);
            entered = true;
        } else if (passesEnd) {
            segment->leave(vehicle);
            left = true;
        }
    }
    if (!left || entered)
        return;
    for (RoadSegment* segment : segments) {
        if (segment->start > p1)
            break;
        if (p1 < segment->end) {
            segment->enter(vehicle);
            return;
        }
    }
    if (vehicle.driver)
        vehicle.driver->resetDesiredSpeed();
}

void Lane::setBridges(std::vector<CBridge*> list) {
    bridges = std::move(list);
    m_vBridgeEdges.clear();
    for (const CBridge* bridge : bridges) {
        m_vBridgeEdges.push_back(bridge->ZoneStart(positive) - bridgeBuffer);
        m_vBridgeEdges.push_back(bridge->ZoneEnd(positive) + bridgeBuffer);
    }
    std::sort(m_vBridgeEdges.begin(), m_vBridgeEdges.end());
}

// A vehicle is listed from the step its front reaches the buffer before the bridge until
// the step its front is the buffer past it. Vehicles only go forwards, so a move that ends
// short of the next edge beyond the vehicle's last checked move passes none: the vehicles
// away from every bridge cost the one comparison in move().
void Lane::trackBridges(Vehicle& vehicle) const {
    const double p0 = vehicle.previousPosition;
    const double p1 = vehicle.position;
    for (CBridge* bridge : bridges) {
        const double on = bridge->ZoneStart(positive) - bridgeBuffer;
        const double off = bridge->ZoneEnd(positive) + bridgeBuffer;
        if (p0 < on && p1 >= on)
            bridge->AddVehicle(&vehicle);
        else if (p0 < off && p1 >= off)
            bridge->RemoveVehicle(&vehicle);
    }
    const auto next = std::upper_bound(m_vBridgeEdges.begin(), m_vBridgeEdges.end(), p1);
    vehicle.bridgeCheckFrom =
        next == m_vBridgeEdges.end() ? std::numeric_limits<double>::infinity() : *next;
}

void Lane::appendVehicle(std::unique_ptr<Vehicle> vehicle) {
    entrySpace = vehicle->position - vehicle->length;
    if (vehicle->isObstacle())
        ++staticCount;
    vehicles.push_back(std::move(vehicle));
}

void Lane::placeStatic(std::unique_ptr<Vehicle> vehicle) {
    auto at = vehicles.begin();
    while (at != vehicles.end() && (*at)->position >= vehicle->position)
        ++at;
    if (at == vehicles.end())
        entrySpace = vehicle->position - vehicle->length;
    vehicles.insert(at, std::move(vehicle));
    ++staticCount;
}

void Lane::insertVehicle(std::size_t index, std::unique_ptr<Vehicle> vehicle) {
    vehicles.insert(vehicles.begin() + static_cast<std::ptrdiff_t>(index), std::move(vehicle));
}

void Lane::clear() {
    vehicles.clear();
    staticCount = 0;
}

} // namespace tarlo
