#include "engine/Direction.h"

#include "detectors/Detector.h"

namespace tarlo {

void Direction::init(const CSettings& settings, int firstLaneIndex,
                     const std::vector<double>& laneLengths, const std::vector<CBridge*>& bridges,
                     const std::vector<Detector*>& detectors,
                     const std::vector<RoadSegment*>& segments) {
    this->detectors = detectors;
    this->segments = segments;
    LaneChangeRecorder* recorder = nullptr;
    for (Detector* detector : detectors) {
        if (detector->kind() == DETECTOR_LANE_CHANGES &&
            detector->positiveDirection() == positive) {
            recorder = detector->laneChangeRecorder();
            break;
        }
    }

    noLanes = static_cast<int>(laneLengths.size());
    lanes.clear();
    lanes.reserve(laneLengths.size());
    for (int i = 0; i < noLanes; ++i) {
        Lane& lane = lanes.emplace_back(settings, firstLaneIndex + i, laneLengths[i], timeStep,
                                        positive, allowLaneChanging);
        lane.setBridges(bridges);
        lane.setDetectors(detectors);
        lane.segments = segments;
        lane.hasLaneChangeDetector = recorder != nullptr;
        lane.laneChangeDetector = recorder;
    }

    // Array index i + 1 is further outside in the positive direction and further inside in
    // the negative one; the outside lane is on the left when driving on the right.
    const bool higherIsLeft = driveOnRight == positive;
    for (int i = 0; i < noLanes; ++i) {
        Lane* lower = i > 0 ? &lanes[i - 1] : nullptr;
        Lane* higher = i + 1 < noLanes ? &lanes[i + 1] : nullptr;
        lanes[i].leftLane = higherIsLeft ? higher : lower;
        lanes[i].rightLane = higherIsLeft ? lower : higher;
    }
}

bool Direction::update(double t) {
    for (Detector* detector : detectors)
        detector->tickInterval(timeStep);
    for (Lane& lane : lanes) {
        lane.time = t;
        if (!lane.finished()) {
            lane.computeAccelerations();
            lane.considerLaneChanges();
        }
    }
    bool finished = true;
    for (Lane& lane : lanes)
        finished = lane.move() && finished;
    return finished;
}

void Direction::appendVehicles(std::vector<std::vector<Vehicle*>>& snapshot) const {
    for (const Lane& lane : lanes) {
        std::vector<Vehicle*>& copy = snapshot.emplace_back();
        copy.reserve(lane.vehicles.size());
        for (const auto& vehicle : lane.vehicles)
            copy.push_back(vehicle.get());
    }
}

void Direction::clear() {
    for (Lane& lane : lanes)
        lane.clear();
    lanes.clear();
    detectors.clear();
    segments.clear();
    noLanes = 0;
}

} // namespace tarlo
