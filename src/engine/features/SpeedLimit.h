#pragma once

#include "engine/features/RoadSegment.h"

namespace tarlo {

// A speed limit (`value` in m/s). A driver who wants to go faster than the limit drives at
// the limit scaled by how much faster than the mean desired speed of its vehicle type it
// wanted to go; with a discrete desired-speed distribution, at the limit itself.
class SpeedLimit : public ControlSegment {
public:
    // The element's value is in km/h.
    explicit SpeedLimit(const CRoadFeature& element);

    void enter(Vehicle& vehicle) override;
    void leave(Vehicle& vehicle) override;

    // The limit the driver of the vehicle would take for a desired speed w (m/s).
    double limitFor(const Vehicle& vehicle, double w) const;
};

} // namespace tarlo
