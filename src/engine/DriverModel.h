#pragma once

namespace tarlo {

class Vehicle;

// The driver of one vehicle: chooses an acceleration from the vehicle's own speed, the
// approach rate to the leader and the clear gap to it, and judges lane changes. Road
// features switch temporary modifications on and off; the flags record which are active.
class DriverModel {
public:
    virtual ~DriverModel() = default;

    // The desired speed in force, m/s.
    virtual double getDesiredSpeed() const = 0;
    // The desired speed the driver was given, before any road feature changed it, m/s.
    virtual double getDrawnDesiredSpeed() const { return getDesiredSpeed(); }
    // dv: own speed minus leader speed (positive when closing in); s: clear gap in metres.
    virtual double acceleration(double dv, double s) = 0;
    virtual void setSpeed(double speed) = 0;
    // setSpeed(speed) followed by acceleration(dv, s), in one call: the vehicles ask for
    // accelerations this way, and a model may answer without a second dispatch.
    virtual double accelerationAt(double speed, double dv, double s) {
        setSpeed(speed);
        return acceleration(dv, s);
    }
    // Returns to the drawn desired speed; the feature flags stay as they are.
    virtual void resetDesiredSpeed() {}
    virtual void gradientOff() {}
    // g in percent; positive values make driving harder.
    virtual void gradientOn(double /*g*/) {}
    virtual void speedLimitOff() {}
    // The limit in m/s.
    virtual void speedLimitOn(double /*v0Limit*/) {}
    virtual void politenessOff() {}
    virtual void politenessOn(double /*p*/) {}
    virtual void biasOff() {}
    virtual void biasOn(double /*x*/) {}
    virtual void laneChangeBanOff() {}
    virtual void laneChangeBanOn() {}
    virtual void gapControlOff() {}
    // G: the clear gap in metres to keep on top of the jam distance.
    virtual void gapControlOn(double /*G*/) {}
    // Incentive to move into one neighbouring lane: -1 when the change is unsafe, 0 when it
    // is not worth making. Leaders and followers are null when there is none; outward is
    // true for a move towards the outside lane.
    virtual double laneChangeIncentive(const Vehicle* leader, const Vehicle* follower,
                                       const Vehicle* newLeader, const Vehicle* newFollower,
                                       Vehicle& self, bool outward) = 0;
    // The same for a caller to whom an incentive below `worthAbove` decides nothing, like
    // 0 and -1: one that cannot reach it may come back as 0 before it is worked out in full.
    virtual double laneChangeIncentiveAbove(const Vehicle* leader, const Vehicle* follower,
                                            const Vehicle* newLeader, const Vehicle* newFollower,
                                            Vehicle& self, bool outward, double /*worthAbove*/) {
        return laneChangeIncentive(leader, follower, newLeader, newFollower, self, outward);
    }

    bool gradientActive = false;
    bool speedLimitActive = false;
    bool politenessActive = false;
    bool laneChangeBanActive = false;
    bool biasActive = false;
    bool gapControlActive = false;
};

} // namespace tarlo
