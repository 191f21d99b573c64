#pragma once

#include "engine/DriverModel.h"

#include <limits>
#include <optional>

namespace tarlo {

class CSettings;

// The Intelligent Driver Model with a choice of desired-gap rules and the temporary changes
// that road features make to a driver (speed limit, gradient, politeness, bias, lane-change
// ban, gap control). Parameters are public: the vehicle type's parameter set draws them.
class alignas(64) IDM final : public DriverModel {
public:
    // Copies the model-wide constants from the settings; every drawn parameter starts at 0.
    explicit IDM(const CSettings& settings);

    double getDesiredSpeed() const override;
    double getDrawnDesiredSpeed() const override { return v0Drawn; }
    double acceleration(double dv, double s) override;
    void setSpeed(double speed) override;
    double accelerationAt(double speed, double dv, double s) override;
    void resetDesiredSpeed() override;
    void gradientOff() override;
    void gradientOn(double g) override;
    void speedLimitOff() override;
    void speedLimitOn(double v0Limit) override;
    void politenessOff() override;
    void politenessOn(double p) override;
    void biasOff() override;
    void biasOn(double x) override;
    void laneChangeBanOff() override;
    void laneChangeBanOn() override;
    void gapControlOff() override;
    void gapControlOn(double G) override;
    double laneChangeIncentive(const Vehicle* leader, const Vehicle* follower,
                               const Vehicle* newLeader, const Vehicle* newFollower, Vehicle& self,
                               bool outward) override;
    double laneChangeIncentiveAbove(const Vehicle* leader, const Vehicle* follower,
                                    const Vehicle* newLeader, const Vehicle* newFollower,
                                    Vehicle& self, bool outward, double worthAbove) override;

    // The fields are laid out by use: the first two cache lines hold everything an
    // acceleration reads, the third what the lane-change rule adds.
    int desiredGapModel = 0;
    double v = 0.0;
    double T = 0.0;
    double a = 0.0;
    double s0 = 0.0;
    double s1 = 0.0;
    double v0 = 0.0;
    double delta = 0.0;
    double sqrtAB2 = 0.0;

private:
    // (v/v0)^δ and √(v/v0) for the speeds they were computed with.
    double m_TermsV = std::numeric_limits<double>::quiet_NaN();
    double m_TermsV0 = std::numeric_limits<double>::quiet_NaN();
    double m_TermsDelta = std::numeric_limits<double>::quiet_NaN();
    double m_PowR = 0.0;
    double m_SqrtR = 0.0;

public:
    double politeness = 0.0;
    double bias = 0.0;
    double threshold = 0.0;
    double lcMinGap = 0.0;
    double safeBraking = 0.0;
    bool lcFollower = false;
    bool lcFollowerFastLane = false;
    bool aFlag = false;
    bool bFlag = false;
    double gapTarget = 0.0;
    double b = 0.0;
    // The per-driver limit in m/s while a speed limit is in force.
    double speedLimitV0 = 0.0;
    double savedT = 0.0;
    double savedA = 0.0;
    double savedB = 0.0;
    // How much the gradient in force lowers the drawn desired speed, m/s (0 downhill).
    double gradientV0Reduction = 0.0;
    double v0Drawn = 0.0;
    double savedPoliteness = 0.0;
    double savedBias = 0.0;
    double savedS0 = 0.0;
    double aMin = 0.0;
    double tSlope = 0.0;
    double v0Min = 0.0;
    double v0Slope = 0.0;

private:
    // accelerationAt's answer, built in a version for processors with FMA beside the plain
    // one (a virtual function cannot have versions).
    double drivingAcceleration(double speed, double dv, double s);
    // self.acceleration(leader), for the vehicle this model drives.
    double ownAcceleration(const Vehicle& self, const Vehicle* leader);
    // Sets v0 from the drawn desired speed, the gradient and the speed limit in force.
    void composeDesiredSpeed();
    // The incentive; with `worthAbove` it stops as soon as the own gain shows that the
    // incentive can neither pass the threshold nor reach `worthAbove`.
    double incentive(const Vehicle* leader, const Vehicle* follower, const Vehicle* newLeader,
                     const Vehicle* newFollower, Vehicle& self, bool outward,
                     std::optional<double> worthAbove);
};

} // namespace tarlo
