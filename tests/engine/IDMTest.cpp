#include "engine/IDM.h"
#include "project/settings/CSettings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tarlo {
namespace {

constexpr double kmh = 0.27777778; // km/h to m/s, as the drivers' speeds are converted

struct Params {
    int model;
    double T, a, s0, s1, v0, delta, sqrtAB2;
};

IDM makeDriver(const Params& p) {
    CSettings settings;
    settings.IDM.DESIRED_GAP_MODEL = p.model;
    IDM d(settings);
    d.T = p.T;
    d.a = p.a;
    d.s0 = p.s0;
    d.s1 = p.s1;
    d.v0 = p.v0;
    d.v0Drawn = p.v0;
    d.delta = p.delta;
    d.sqrtAB2 = p.sqrtAB2;
    return d;
}

double accelerate(IDM& d, double v, double dv, double s) {
    d.setSpeed(v);
    return d.acceleration(dv, s);
}

// The speed term r^δ comes from a faster path for δ = 4 than std::pow; the results must be
// the very doubles std::pow gives, over a fine sweep of speeds and a few desired speeds.
TEST(IDMAcceleration, TheSpeedTermIsStdPowToTheLastBit) {
    for (const double delta : {4.0, 3.5}) {
        for (const double v0 : {30.0, 120.0 * kmh, 33.3}) {
            IDM d = makeDriver({1, 1.2, 1.0, 2.0, 0.0, v0, delta, 2.0 * std::sqrt(2.0)});
            int differences = 0;
            for (int i = 0; i <= 200000; ++i) {
                const double v = i * 0.000217;
                // A free road far ahead: the gap term is (s*/s)^2 with dv = 0.
                const double s = 1e9;
                const double desiredGap =
                    2.0 + v * 1.2 + 0.0 * std::sqrt(v / v0) + v * 0.0 / d.sqrtAB2;
                const double gapRatio = desiredGap / s;
                const double expected =
                    1.0 * (1.0 - std::pow(v / v0, delta)) - 1.0 * (gapRatio * gapRatio);
                if (accelerate(d, v, 0.0, s) != expected)
                    ++differences;
            }
            EXPECT_EQ(differences, 0) << "delta " << delta << ", v0 " << v0;
        }
    }
}

TEST(IDMConstruction, CopiesSettingsAndStartsWithoutParameters) {
    CSettings settings;
    settings.IDM.SAFE_BRAKING = -9.5;
    settings.IDM.LC_MIN_GAP = 3.25;
    settings.IDM.LC_FOLLOWER = false;
    settings.IDM.LC_FOLLOWER_FASTLANE = true;
    settings.IDM.DESIRED_GAP_MODEL = 2;
    auto& m = settings.Road.RoadFeatures.Gradient.IDM_Modifiers;
    m.T_SLOPE = 11.0;
    m.V0_SLOPE = 0.3;
    m.V0_MIN = 0.7;
    m.A_MIN = 0.2;
    m.A_FLAG = false;
    m.B_FLAG = true;

    const IDM d(settings);
    EXPECT_EQ(d.safeBraking, -9.5);
    EXPECT_EQ(d.lcMinGap, 3.25);
    EXPECT_FALSE(d.lcFollower);
    EXPECT_TRUE(d.lcFollowerFastLane);
    EXPECT_EQ(d.desiredGapModel, 2);
    EXPECT_EQ(d.tSlope, 11.0);
    EXPECT_EQ(d.v0Slope, 0.3);
    EXPECT_EQ(d.v0Min, 0.7);
    EXPECT_EQ(d.aMin, 0.2);
    EXPECT_FALSE(d.aFlag);
    EXPECT_TRUE(d.bFlag);

    for (double p : {d.T, d.a, d.b, d.s0, d.s1, d.v0, d.v0Drawn, d.delta, d.politeness, d.bias,
                     d.threshold, d.sqrtAB2, d.v})
        EXPECT_EQ(p, 0.0);
    EXPECT_FALSE(d.gradientActive || d.speedLimitActive || d.politenessActive ||
                 d.laneChangeBanActive || d.biasActive || d.gapControlActive);

    // Later edits of the settings do not reach a driver that exists already.
    settings.IDM.LC_MIN_GAP = 99.0;
    EXPECT_EQ(d.lcMinGap, 3.25);
}

struct AccelerationCase {
    const char* name;
    Params params;
    double v, dv, s;
    double expected;
};

TEST(IDMAcceleration, DesiredGapModels) {
    const AccelerationCase cases[] = {
        // Standing behind a standing leader at exactly the jam distance: no push either way.
        {"stand at s0", {0, 1.5, 1.2, 2.0, 3.0, 30.0, 4.0, 2.0}, 0.0, 0.0, 2.0, 0.0},
        // A faster leader (dv = -20, v = 10, sqrtAB2 = 2) makes the basic s* = 2 + 10 - 100.
        // r = 0.5 so the free term is 1 - 1/16.
        {"model 0 limits s* to s0",
         {0, 1.0, 1.0, 2.0, 0.0, 20.0, 4.0, 2.0},
         10.0,
         -20.0,
         10.0,
         0.9375 - 0.04},
        {"model 1 squares a negative s*",
         {1, 1.0, 1.0, 2.0, 0.0, 20.0, 4.0, 2.0},
         10.0,
         -20.0,
         10.0,
         0.9375 - 77.44},
        {"unknown model acts like 0",
         {7, 1.0, 1.0, 2.0, 0.0, 20.0, 4.0, 2.0},
         10.0,
         -20.0,
         10.0,
         0.9375 - 0.04},
        {"negative model acts like 0",
         {-1, 1.0, 1.0, 2.0, 0.0, 20.0, 4.0, 2.0},
         10.0,
         -20.0,
         10.0,
         0.9375 - 0.04},
        // dv = -4, v = 20, sqrtAB2 = 2: delta-term -40, a quarter (-10) stays.
        // r = 0.25: s* = 2 + 20 + 4 * 0.5 - 10 = 14; free term 1 - 1/256.
        {"model 2 keeps a quarter of the approach term",
         {2, 1.0, 1.0, 2.0, 4.0, 80.0, 4.0, 2.0},
         20.0,
         -4.0,
         28.0,
         0.99609375 - 0.25},
        {"model 2 closing in keeps the full term",
         {2, 1.0, 1.0, 2.0, 4.0, 80.0, 4.0, 2.0},
         20.0,
         4.0,
         128.0,
         0.99609375 - 0.25},
        // a scales both terms; delta = 2 makes the free term 1 - r^2.
        {"a and delta",
         {1, 1.0, 2.0, 2.0, 0.0, 20.0, 2.0, 2.0},
         10.0,
         0.0,
         24.0,
         2.0 * 0.75 - 2.0 * 0.25},
    };
    for (const AccelerationCase& c : cases) {
        IDM d = makeDriver(c.params);
        EXPECT_NEAR(accelerate(d, c.v, c.dv, c.s), c.expected, 1e-12) << c.name;
    }
}

TEST(IDMAcceleration, ModelThreeDecaysHeadwayOnlyWhenLeaderIsFaster) {
    const Params model1{1, 1.5, 1.2, 2.0, 3.0, 30.0, 4.0, 2.5};
    Params model3 = model1;
    model3.model = 3;
    IDM one = makeDriver(model1), three = makeDriver(model3);
    for (double dv : {0.0, 0.5, 3.0, 12.0})
        for (double s : {5.0, 40.0, 300.0})
            EXPECT_EQ(accelerate(three, 20.0, dv, s), accelerate(one, 20.0, dv, s))
                << dv << " " << s;

    // dv = -4 with v = 20, T = 1, sqrtAB2 = 2: s* = s0 + v T exp(-2); no approach term, no
    // lower limit.
    IDM d = makeDriver({3, 1.0, 1.0, 2.0, 0.0, 40.0, 4.0, 2.0});
    const double desired = 2.0 + 20.0 * std::exp(-2.0);
    EXPECT_NEAR(accelerate(d, 20.0, -4.0, 20.0), 0.9375 - (desired / 20.0) * (desired / 20.0),
                1e-12);
}

TEST(IDMAcceleration, FreeRoadAtDesiredSpeedIsNearlyZero) {
    for (int model = 0; model < 4; ++model) {
        IDM d = makeDriver({model, 1.5, 1.2, 2.0, 3.0, 33.0, 4.0, 2.0});
        EXPECT_NEAR(accelerate(d, 33.0, 0.0, 1e7), 0.0, 1e-9) << model;
        EXPECT_LT(accelerate(d, 33.0, 0.0, 1e7), 0.0) << "the far gap still brakes a little";
    }
}

TEST(IDMAcceleration, NoClampOnStrongBraking) {
    IDM d = makeDriver({0, 1.0, 1.0, 2.0, 0.0, 30.0, 4.0, 2.0});
    // s* = 2 + 20 + 20 * 20 / 2 = 222 at a 10 m gap.
    EXPECT_NEAR(accelerate(d, 20.0, 20.0, 10.0), 1.0 - std::pow(2.0 / 3.0, 4.0) - 492.84, 1e-9);
}

TEST(IDMAcceleration, UsesTheExponentExactly) {
    // A non-integer exponent must go through pow, not a rounded power.
    IDM d = makeDriver({1, 1.0, 1.0, 0.0, 0.0, 30.0, 3.5, 2.0});
    EXPECT_EQ(accelerate(d, 12.0, 0.0, 1e300), 1.0 - std::pow(0.4, 3.5));
}

TEST(IDMGapControl, AimsAtTargetGapInsteadOfHeadway) {
    IDM d = makeDriver({0, 1.0, 1.0, 2.0, 0.0, 20.0, 4.0, 2.0});
    d.gapControlOn(20.0);
    EXPECT_TRUE(d.gapControlActive);
    EXPECT_EQ(d.gapTarget, 20.0);
    // v = 10: s' = 30 - 20 + 10 = 20, s* = 2 + 10 = 12.
    EXPECT_NEAR(accelerate(d, 10.0, 0.0, 30.0), 0.9375 - 0.36, 1e-12);
    // s - G + vT below zero counts as a closed gap.
    EXPECT_EQ(accelerate(d, 10.0, 0.0, 5.0), -std::numeric_limits<double>::infinity());

    d.gapControlOff();
    EXPECT_FALSE(d.gapControlActive);
    EXPECT_EQ(d.s0, 2.0);
    EXPECT_NEAR(accelerate(d, 10.0, 0.0, 30.0), 0.9375 - 0.16, 1e-12);
}

TEST(IDMGapControl, ClosedGapWithoutDesiredGapIsNoInteraction) {
    // s0 = 0 and a standing driver: s* = 0 and the effective gap 0; the driver accelerates
    // as on a free road instead of producing an undefined value.
    IDM d = makeDriver({0, 1.0, 1.5, 0.0, 0.0, 20.0, 4.0, 2.0});
    d.gapControlOn(10.0);
    EXPECT_EQ(accelerate(d, 0.0, 0.0, 4.0), 1.5);
}

TEST(IDMSpeedLimit, SwitchesDesiredSpeedAndBack) {
    IDM d = makeDriver({0, 1.0, 1.0, 2.0, 0.0, 120.0 * kmh, 4.0, 2.0});
    d.speedLimitOff(); // not active: nothing to restore
    EXPECT_EQ(d.getDesiredSpeed(), 120.0 * kmh);
    d.speedLimitOn(80.0 * kmh);
    EXPECT_TRUE(d.speedLimitActive);
    EXPECT_EQ(d.getDesiredSpeed(), 80.0 * kmh);
    d.speedLimitOff();
    EXPECT_FALSE(d.speedLimitActive);
    EXPECT_EQ(d.getDesiredSpeed(), 120.0 * kmh);

    d.speedLimitOn(60.0 * kmh);
    d.resetDesiredSpeed();
    EXPECT_EQ(d.getDesiredSpeed(), 120.0 * kmh);
    EXPECT_TRUE(d.speedLimitActive) << "resetting the desired speed keeps the flags";
}

struct GradientCase {
    const char* name;
    double g;
    bool aFlag, bFlag;
    double a; // before the gradient
    double T, aAfter, bAfter, v0After;
};

TEST(IDMGradient, ModifiesParametersAndRestoresThem) {
    const double v0 = 120.0 * kmh;
    const GradientCase cases[] = {
        // 5 % with T_SLOPE 10 and V0_SLOPE 0.2: +0.5 s, a -0.5, b +0.5, v0 -25 km/h.
        {"uphill", 5.0, true, true, 1.2, 2.0, 0.7, 2.0, v0 - 25.0 * kmh},
        {"uphill, a not below A_MIN", 5.0, true, true, 0.3, 2.0, 0.1, 2.0, v0 - 25.0 * kmh},
        {"uphill without flags", 5.0, false, false, 1.2, 2.0, 1.2, 1.5, v0 - 25.0 * kmh},
        // Downhill also lengthens the headway and raises a, but leaves b and v0.
        {"downhill", -5.0, true, true, 1.2, 2.0, 1.7, 1.5, v0},
        {"downhill without flags", -5.0, false, false, 1.2, 2.0, 1.2, 1.5, v0},
    };
    for (const GradientCase& c : cases) {
        CSettings settings;
        auto& m = settings.Road.RoadFeatures.Gradient.IDM_Modifiers;
        m.T_SLOPE = 10.0;
        m.V0_SLOPE = 0.2;
        m.A_MIN = 0.1;
        m.A_FLAG = c.aFlag;
        m.B_FLAG = c.bFlag;
        IDM d(settings);
        d.T = 1.5;
        d.a = c.a;
        d.b = 1.5;
        d.v0 = d.v0Drawn = v0;
        d.sqrtAB2 = 2.0 * std::sqrt(c.a * 1.5);

        d.gradientOn(c.g);
        EXPECT_TRUE(d.gradientActive) << c.name;
        EXPECT_NEAR(d.T, c.T, 1e-12) << c.name;
        EXPECT_NEAR(d.a, c.aAfter, 1e-12) << c.name;
        EXPECT_NEAR(d.b, c.bAfter, 1e-12) << c.name;
        EXPECT_NEAR(d.v0, c.v0After, 1e-6) << c.name;
        EXPECT_EQ(d.sqrtAB2, 2.0 * std::sqrt(c.a * 1.5)) << c.name << ": drawn a and b stay";

        d.gradientOff();
        EXPECT_FALSE(d.gradientActive) << c.name;
        EXPECT_EQ(d.T, 1.5) << c.name;
        EXPECT_EQ(d.a, c.a) << c.name;
        EXPECT_EQ(d.b, 1.5) << c.name;
        EXPECT_EQ(d.v0, v0) << c.name;

        // A second off restores nothing: the saved values are stale by now.
        d.T = 9.0;
        d.gradientOff();
        EXPECT_EQ(d.T, 9.0) << c.name;
    }
}

TEST(IDMGradient, DesiredSpeedNotBelowMinimum) {
    CSettings settings;
    settings.Road.RoadFeatures.Gradient.IDM_Modifiers.V0_MIN = 0.5;
    IDM d(settings);
    d.v0 = d.v0Drawn = 20.0 * kmh;
    d.gradientOn(10.0); // -50 km/h
    EXPECT_EQ(d.v0, 0.5);
}

TEST(IDMGradient, UnderSpeedLimitReducesTheDrawnSpeed) {
    // Drawn 120 km/h, 25 km/h reduction: a limit of 80 km/h stays, one of 100 km/h gives way
    // to 95 km/h.
    const struct { double limit, expected; } cases[] = {{80.0, 80.0}, {100.0, 95.0}};
    for (const auto& c : cases) {
        IDM d{CSettings()};
        d.v0 = d.v0Drawn = 120.0 * kmh;
        d.speedLimitOn(c.limit * kmh);
        d.gradientOn(5.0);
        EXPECT_NEAR(d.v0, c.expected * kmh, 1e-6) << c.limit;
    }
}

// Whatever order a limit and a gradient begin and end in, the desired speed is the one the
// modifications still in force give.
TEST(IDMGradient, DesiredSpeedFollowsTheModificationsInForce) {
    IDM d{CSettings()};
    d.T = 1.5;
    d.a = 1.2;
    d.b = 1.5;
    d.v0 = d.v0Drawn = 120.0 * kmh;
    d.speedLimitOn(90.0 * kmh);
    d.gradientOn(5.0);
    EXPECT_NEAR(d.v0, 90.0 * kmh, 1e-6);

    d.speedLimitOff();
    EXPECT_NEAR(d.v0, 95.0 * kmh, 1e-6) << "the gradient still slows the driver";
    EXPECT_TRUE(d.gradientActive);
    d.gradientOff();
    EXPECT_EQ(d.v0, 120.0 * kmh);
    EXPECT_EQ(d.T, 1.5);

    d.gradientOn(5.0);
    d.speedLimitOn(60.0 * kmh);
    EXPECT_NEAR(d.v0, 60.0 * kmh, 1e-6);
    d.gradientOff();
    EXPECT_NEAR(d.v0, 60.0 * kmh, 1e-6) << "the limit still holds";
    d.speedLimitOff();
    EXPECT_EQ(d.v0, 120.0 * kmh);
}

TEST(IDMLaneChangeFeatures, PolitenessBiasAndBanSwitchAndRestore) {
    IDM d{CSettings()};
    d.politeness = 0.4;
    d.bias = 0.1;

    d.politenessOff();
    d.biasOff();
    EXPECT_EQ(d.politeness, 0.4) << "off without on restores nothing";
    EXPECT_EQ(d.bias, 0.1);

    d.politenessOn(0.0);
    d.biasOn(-0.3);
    EXPECT_TRUE(d.politenessActive);
    EXPECT_TRUE(d.biasActive);
    EXPECT_EQ(d.politeness, 0.0);
    EXPECT_EQ(d.bias, -0.3);
    d.politenessOff();
    d.biasOff();
    EXPECT_FALSE(d.politenessActive || d.biasActive);
    EXPECT_EQ(d.politeness, 0.4);
    EXPECT_EQ(d.bias, 0.1);

    d.laneChangeBanOn();
    EXPECT_TRUE(d.laneChangeBanActive);
    d.laneChangeBanOff();
    EXPECT_FALSE(d.laneChangeBanActive);
}

} // namespace
} // namespace tarlo
