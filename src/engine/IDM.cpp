#include "engine/IDM.h"

#include "engine/Vehicle.h"
#include "project/settings/CSettings.h"

#include <algorithm>
#include <cmath>

namespace tarlo {

namespace {

// How vehicle x would accelerate behind the given leader (none: free road).
double acc(const Vehicle& x, const Vehicle* leader) { return x.acceleration(leader); }

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

double IDM::acceleration(double dv, double s) {
    // The speed terms repeat for one vehicle within a step (its own acceleration and the
    // lane-change evaluations ask with the same speed): compute them once per speed.
    if (v != m_TermsV || v0 != m_TermsV0 || delta != m_TermsDelta) {
        const double r = v / v0;
        m_TermsV = v;
        m_TermsV0 = v0;
        m_TermsDelta = delta;
        m_SqrtR = std::sqrt(r);
        m_PowR = std::pow(r, delta);
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
    v0 = savedV0Gradient;
    gradientActive = false;
}

void IDM::gradientOn(double g) {
    gradientActive = true;
    savedT = T;
    savedA = a;
    savedB = b;
    savedV0Gradient = v0;

    // Uphill and downhill alike make drivers keep a longer headway.
    T = T + std::abs(g) / tSlope;
    if (aFlag) {
        a = a - g / 10.0;
        if (a < aMin)
            a = aMin;
    }
    if (bFlag && g > 0.0)
        b = b + g / 10.0;
    if (g > 0.0) {
        const double reduction = g / v0Slope * 0.27777778; // km/h to m/s
        // Under a speed limit the reduction applies to the drawn speed, and the limit still
        // caps the result.
        if (speedLimitActive)
            v0 = std::min(v0, v0Drawn - reduction);
        else
            v0 = v0 - reduction;
        if (v0 < v0Min)
            v0 = v0Min;
    }
}

void IDM::speedLimitOff() {
    if (!speedLimitActive)
        return;
    v0 = savedV0Limit;
    speedLimitActive = false;
}

void IDM::speedLimitOn(double v0Limit) {
    savedV0Limit = v0;
    speedLimitActive = true;
    v0 = v0Limit;
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

double IDM::laneChangeIncentive(const Vehicle* leader, const Vehicle* follower,
                                const Vehicle* newLeader, const Vehicle* newFollower, Vehicle& self,
                                bool outward) {
    if (laneChangeBanActive)
        return 0.0;

    // Own gain, refused when the new leader is too close or would force hard braking.
    double gain;
    if (newLeader) {
        if (newLeader->position - newLeader->length - self.position < lcMinGap)
            return -1.0;
        const double accNew = acc(self, newLeader);
        if (accNew < safeBraking)
            return -1.0;
        gain = accNew - acc(self, leader);
    } else {
        gain = acc(self, nullptr) - acc(self, leader);
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
    const double incentive = gain - politeness * othersLoss + (outward ? -bias : bias);
    // An undefined incentive (a driver without a desired speed) is no reason to move.
    return incentive > threshold ? incentive : 0.0;
}

} // namespace tarlo
