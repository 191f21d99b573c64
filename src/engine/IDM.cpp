#include "engine/IDM.h"

#include "engine/Vehicle.h"
#include "project/settings/CSettings.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

namespace tarlo {

namespace {

// How vehicle x would accelerate behind the given leader (none: free road); the rule asks
// for several of them more than once, and the lane's pass has worked out some already.
double acc(const Vehicle& x, const Vehicle* leader) {
    return x.knownAcceleration(leader);
}

// A version of a function for processors with FMA beside the plain one, chosen as the
// program starts. Not under ThreadSanitizer: it cannot start a program whose version
// choosers it instruments.
#if defined(__SANITIZE_THREAD__)
#define FMA_VERSIONS
#else
#define FMA_VERSIONS __attribute__((target_clones("fma", "default")))
#endif

// r^δ as std::pow gives it, faster for the usual δ = 4. The fourth power is worked out in
// double-double arithmetic (the error-free products of fma) and rounded; std::pow (glibc's
// is within 0.52 units in the last place) gives the same correctly rounded double unless
// the exact power lies within 0.02 units of a rounding midpoint. Those cases, about one in
// twenty, and powers near the ends of the double range are left to std::pow itself.
// Inline, so that the FMA version of the acceleration has the processor's fma in it.
[[gnu::always_inline]] inline double power(double r, double delta) {
    if (delta != 4.0 || !(r >= 1e-60 && r <= 1e60))
        return std::pow(r, delta);
    const double r2 = r * r;
    const double r2Low = std::fma(r, r, -r2);
    const double r4 = r2 * r2;
    const double low = std::fma(r2, r2, -r4) + 2.0 * r2 * r2Low;
    const double rounded = r4 + low;
    const double roundingError = low - (rounded - r4);
    const double unitBelow =
        rounded - std::bit_cast<double>(std::bit_cast<std::uint64_t>(rounded) - 1);
    if (std::abs(roundingError) > 0.47 * unitBelow)
        return std::pow(r, delta);
    return rounded;
}

// Makes any loss of the others count for nothing unless a vehicle follows in the new lane.
constexpr double noNewFollowerLoss = -1000000.0;

} // namespace

IDM::IDM(const CSettings& settings) {
    const CSettings::IDM_Param_Modifiers& modifiers =
        settings.Road.RoadFeatures.Gradient.IDM_Modifiers;
    aFlag = modifiers.A_FLAG;
    aMin = modifiers.A_MIN;
    bFlag = modifiers.B_FLAG;
    tSlope = modifiers.T_SLOPE;
    v0Min = modifiers.V0_MIN;
    v0Slope = modifiers.V0_SLOPE;
    desiredGapModel = settings.IDM.DESIRED_GAP_MODEL;
    lcMinGap = settings.IDM.LC_MIN_GAP;
    lcFollower = settings.IDM.LC_FOLLOWER;
    lcFollowerFastLane = settings.IDM.LC_FOLLOWER_FASTLANE;
    safeBraking = settings.IDM.SAFE_BRAKING;
}

double IDM::getDesiredSpeed() const {
    return v0;
}

void IDM::setSpeed(double speed) {
    v = speed;
}

// The rule is asked for the model's own vehicle, a moving one (obstacles never change
// lanes): its acceleration behind a leader is then worked out here without dispatching
// through the vehicle and back.
double IDM::ownAcceleration(const Vehicle& self, const Vehicle* leader) {
    if (self.driver.get() != this || !leader)
        return self.acceleration(leader);
    const double dv = self.speed - leader->speed;
    const double s = leader->position - leader->length - self.position;
    return drivingAcceleration(self.speed, dv, s);
}

double IDM::acceleration(double dv, double s) {
    return drivingAcceleration(v, dv, s);
}

double IDM::accelerationAt(double speed, double dv, double s) {
    return drivingAcceleration(speed, dv, s);
}

FMA_VERSIONS double IDM::drivingAcceleration(double speed, double dv, double s) {
    v = speed;
    // The speed terms repeat for one vehicle within a step (its own acceleration and the
    // lane-change evaluations ask with the same speed): compute them once per speed.
    if (v != m_TermsV || v0 != m_TermsV0 || delta != m_TermsDelta) {
        const double r = v / v0;
        m_TermsV = v;
        m_TermsV0 = v0;
        m_TermsDelta = delta;
        m_SqrtR = std::sqrt(r);
        m_PowR = power(r, delta);
    }
    const double vT = v * T;
    const double s1Term = s1 * m_SqrtR;
    const double approachTerm = v * dv / sqrtAB2;
    double desiredGap = s0 + vT + s1Term + approachTerm;

    double effectiveGap = s;
    if (gapControlActive) {
        effectiveGap = s - gapTarget + vT;
        if (effectiveGap < 0.0)
            effectiveGap = 0.0;
    }

    switch (desiredGapModel) {
    case 1:
        break;
    case 2:
        if (dv < 0.0)
            desiredGap = desiredGap - 0.75 * approachTerm;
        break;
    case 3:
        if (dv < 0.0)
            desiredGap = s0 + s1Term + vT * std::exp(dv / (sqrtAB2 * T));
        break;
    default:
        if (!(desiredGap > s0))
            desiredGap = s0;
        break;
    }

    // No desired gap means no interaction, also when the effective gap has closed to 0.
    const double gapRatio = desiredGap == 0.0 ? 0.0 : desiredGap / effectiveGap;
    return a * (1.0 - m_PowR) - a * (gapRatio * gapRatio);
}

void IDM::resetDesiredSpeed() {
    v0 = v0Drawn;
}

void IDM::gradientOff() {
    if (!gradientActive)
        return;
    T = savedT;
    a = savedA;
    b = savedB;
    gradientActive = false;
    gradientV0Reduction = 0.0;
    composeDesiredSpeed();
}

void IDM::gradientOn(double g) {
    gradientActive = true;
    savedT = T;
    savedA = a;
    savedB = b;

    // Uphill and downhill alike make drivers keep a longer headway.
    T = T + std::abs(g) / tSlope;
    if (aFlag) {
        a = a - g / 10.0;
        if (a < aMin)
            a = aMin;
    }
    if (bFlag && g > 0.0)
        b = b + g / 10.0;
    // Only uphill slows drivers down.
    gradientV0Reduction = g > 0.0 ? g / v0Slope * 0.27777778 : 0.0; // km/h to m/s
    composeDesiredSpeed();
}

void IDM::speedLimitOff() {
    if (!speedLimitActive)
        return;
    speedLimitActive = false;
    composeDesiredSpeed();
}

void IDM::speedLimitOn(double v0Limit) {
    speedLimitActive = true;
    speedLimitV0 = v0Limit;
    composeDesiredSpeed();
}

// Deliberately: the desired speed is worked out from the drawn one and the modifications
// in force, instead of each modification saving the speed it found and putting it back
// when it ends. Saved speeds went stale when stretches overlapped: a gradient ending
// inside a speed limit put back the speed from before the limit, and a limit ending inside
// a gradient dropped the gradient's slowing. A lone modification gives the same speed as
// before.
void IDM::composeDesiredSpeed() {
    if (gradientActive && gradientV0Reduction > 0.0) {
        // Under a speed limit the reduction applies to the drawn speed, and the limit still
        // caps the result.
        const double slowed = v0Drawn - gradientV0Reduction;
        v0 = speedLimitActive ? std::min(speedLimitV0, slowed) : slowed;
        if (v0 < v0Min)
            v0 = v0Min;
    } else {
        v0 = speedLimitActive ? speedLimitV0 : v0Drawn;
    }
}

void IDM::politenessOff() {
    if (!politenessActive)
        return;
    politeness = savedPoliteness;
    politenessActive = false;
}

void IDM::politenessOn(double p) {
    savedPoliteness = politeness;
    politenessActive = true;
    politeness = p;
}

void IDM::biasOff() {
    if (!biasActive)
        return;
    bias = savedBias;
    biasActive = false;
}

void IDM::biasOn(double x) {
    savedBias = bias;
    biasActive = true;
    bias = x;
}

void IDM::laneChangeBanOff() {
    laneChangeBanActive = false;
}

void IDM::laneChangeBanOn() {
    laneChangeBanActive = true;
}

void IDM::gapControlOff() {
    if (!gapControlActive)
        return;
    s0 = savedS0;
    gapControlActive = false;
}

void IDM::gapControlOn(double G) {
    savedS0 = s0;
    gapControlActive = true;
    gapTarget = G;
}

[[gnu::always_inline]] inline double IDM::incentive(const Vehicle* leader, const Vehicle* follower,
                                                    const Vehicle* newLeader,
                                                    const Vehicle* newFollower, Vehicle& self,
                                                    bool outward,
                                                    std::optional<double> worthAbove) {
    if (laneChangeBanActive)
        return 0.0;

    // Own gain, refused when the new leader is too close or would force hard braking.
    double gain;
    if (newLeader) {
        if (newLeader->position - newLeader->length - self.position < lcMinGap)
            return -1.0;
        // Asked once per change considered, so it is not remembered.
        const double accNew = ownAcceleration(self, newLeader);
        if (accNew < safeBraking)
            return -1.0;
        gain = accNew - acc(self, leader);
    } else {
        gain = ownAcceleration(self, nullptr) - acc(self, leader);
    }
    const double biasTerm = outward ? -bias : bias;
    // The others' loss only lowers the incentive (politeness is not negative), so gain plus
    // bias bounds it: a change that cannot get above the threshold, or above what the
    // caller weighs, needs none of the followers' accelerations.
    if (worthAbove && politeness >= 0.0) {
        const double bound = gain + biasTerm;
        if (bound <= threshold || bound < *worthAbove)
            return 0.0;
    }

    // The new follower's loss, refused when V would cut in too close or too hard.
    double lossNew = noNewFollowerLoss;
    if (newFollower) {
        if (self.position - self.length - newFollower->position < lcMinGap)
            return -1.0;
        const double accNewFollower = acc(*newFollower, &self);
        if (accNewFollower < safeBraking)
            return -1.0;
        lossNew = acc(*newFollower, newLeader) - accNewFollower;
    }

    // The old follower's loss (it gains when V leaves, so this is usually negative).
    double lossOld = 0.0;
    if (follower && lcFollower) {
        const int directionLane = self.dirPositive ? self.lane : self.roadLanes - self.lane + 1;
        if (!(directionLane == 1 && lcFollowerFastLane))
            lossOld = acc(*follower, &self) - acc(*follower, leader);
    }

    double othersLoss = lossOld + lossNew;
    if (othersLoss < 0.0)
        othersLoss = 0.0;

    // A move towards the inside lane is favoured by the bias.
    const double incentive = gain - politeness * othersLoss + biasTerm;
    // An undefined incentive (a driver without a desired speed) is no reason to move.
    return incentive > threshold ? incentive : 0.0;
}

double IDM::laneChangeIncentive(const Vehicle* leader, const Vehicle* follower,
                                const Vehicle* newLeader, const Vehicle* newFollower, Vehicle& self,
                                bool outward) {
    return incentive(leader, follower, newLeader, newFollower, self, outward, std::nullopt);
}

double IDM::laneChangeIncentiveAbove(const Vehicle* leader, const Vehicle* follower,
                                     const Vehicle* newLeader, const Vehicle* newFollower,
                                     Vehicle& self, bool outward, double worthAbove) {
    return incentive(leader, follower, newLeader, newFollower, self, outward, worthAbove);
}

} // namespace tarlo
