#pragma once

#include "detectors/LaneStatistics.h"
#include "engine/Vehicle.h"

namespace tarlo {

// One lane change, as the lane that the vehicle left reports it.
class LaneChangeEvent {
public:
    LaneChangeEvent(int position, int fromLane, int toLane, bool left, double time,
                    const Vehicle& vehicle)
        : position(position), fromLane(fromLane), toLane(toLane),
          vehicleClass(vehicle.vehicleClass), left(left), positiveDirection(vehicle.dirPositive),
          time(time), sample(sampleOf(vehicle)) {}
    virtual ~LaneChangeEvent() = default;

    int position; // global position, truncated towards zero
    int fromLane; // road lane numbers
    int toLane;
    int vehicleClass;
    bool left;
    bool positiveDirection;
    double time;
    // What the composition of the changes takes from the vehicle.
    VehicleSample sample;
};

// What records the lane changes of one direction.
class LaneChangeRecorder {
public:
    virtual ~LaneChangeRecorder() = default;
    virtual void recordEvent(const LaneChangeEvent& event) = 0;
};

} // namespace tarlo
