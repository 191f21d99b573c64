#pragma once

namespace tarlo {

// The driver of one vehicle: chooses an acceleration from the vehicle's own speed, the
// approach rate to the leader and the clear gap to it.
class DriverModel {
public:
    virtual ~DriverModel() = default;

    virtual void setSpeed(double speed) = 0;
    // dv: own speed minus leader speed (positive when closing in); s: clear gap in metres.
    virtual double acceleration(double dv, double s) = 0;
};

} // namespace tarlo
