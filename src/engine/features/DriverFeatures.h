#pragma once

#include "engine/features/RoadSegment.h"

namespace tarlo {

// The features that switch one modification of the driver model on with the feature's
// value. A modification already in force is left as it is: switching it on again would
// take the modified parameters for the ones to restore when the vehicle leaves.

// A gradient (`value` in per cent; positive values make driving harder).
class Gradient : public ControlSegment {
public:
    explicit Gradient(const CRoadFeature& element);
    void enter(Vehicle& vehicle) override;
    void leave(Vehicle& vehicle) override;
};

// A local politeness factor for lane changing.
class Politeness : public ControlSegment {
public:
    explicit Politeness(const CRoadFeature& element);
    void enter(Vehicle& vehicle) override;
    void leave(Vehicle& vehicle) override;
};

// A local lane-change bias (m/s²) towards the inside lane.
class Bias : public ControlSegment {
public:
    explicit Bias(const CRoadFeature& element);
    void enter(Vehicle& vehicle) override;
    void leave(Vehicle& vehicle) override;
};

// Drivers inside the stretch do not change lanes; the value is not used.
class LaneChangeBan : public ControlSegment {
public:
    explicit LaneChangeBan(const CRoadFeature& element);
    void enter(Vehicle& vehicle) override;
    void leave(Vehicle& vehicle) override;
};

// Gap control: drivers keep a clear gap of about `value` metres on top of the jam distance.
class Gap : public ControlSegment {
public:
    explicit Gap(const CRoadFeature& element);
    void enter(Vehicle& vehicle) override;
    void leave(Vehicle& vehicle) override;
};

} // namespace tarlo
