#pragma once

#include "engine/Lane.h"

#include <vector>

namespace tarlo {

class CBridge;
class CSettings;
class Vehicle;

// One direction of travel with its lanes in road lane order: in the positive direction
// the inside lane comes first, in the negative direction the outside lane.
class Direction {
public:
    // Creates the lanes and links their neighbours as the drivers see them.
    void init(const CSettings& settings, int firstLaneIndex, const std::vector<double>& laneLengths,
              const std::vector<CBridge*>& bridges = {});
    // One step at time t; true when every lane is finished.
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
};

} // namespace tarlo
