#pragma once

#include "engine/Lane.h"

#include <vector>

namespace tarlo {

class CBridge;
class CSettings;
class Detector;
class RoadSegment;
class Vehicle;

// One direction of travel with its lanes in road lane order: in the positive direction
// the inside lane comes first, in the negative direction the outside lane.
class Direction {
public:
    // Creates the lanes and links their neighbours as the drivers see them. Every lane sees
    // all the direction's detectors and road segments and reports lane changes to its first
    // lane change detector.
    void init(const CSettings& settings, int firstLaneIndex, const std::vector<double>& laneLengths,
              const std::vector<CBridge*>& bridges = {},
              const std::vector<Detector*>& detectors = {},
              const std::vector<RoadSegment*>& segments = {});
    // One step at time t, after the detectors' interval clocks have advanced; true when
    // every lane is finished.
    bool update(double t);
    void appendVehicles(std::vector<std::vector<Vehicle*>>& snapshot) const;
    void clear();

    double timeStep = 0.0;
    bool driveOnRight = true;
    bool allowLaneChanging = true;
    double length = 0.0;
    bool positive = true;
    int noLanes = 0;
    std::vector<Lane> lanes;
    // The road's detectors of this direction, in element order.
    std::vector<Detector*> detectors;
    // The road's segments of this direction, sorted by start.
    std::vector<RoadSegment*> segments;
};

} // namespace tarlo
