#include "GeneratorSupport.h"
#include "engine/IDM.h"
#include "project/settings/CSettings.h"
#include "vehicles/CConstantDist.h"
#include "vehicles/CContinuousDist.h"
#include "vehicles/CDiscreteDist.h"
#include "vehicles/CIDMParameterSet.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string_view>

namespace tarlo {
namespace {

using test::generatorDrawing;

struct DefaultCase {
    int kind;
    std::string_view label;
    int distributionKind;
    double location;
    double scale;
};

const DefaultCase defaultCases[] = {
    {CParameter::T, "Safe time headway, T (s)", CDistribution::Continuous, 1.2, 0.05},
    {CParameter::A, "Maximum acceleration, a (m/s^2)", CDistribution::Continuous, 1.0, 0.05},
    {CParameter::B, "Comfortable decceleration, b (m/s^2)", CDistribution::Continuous, 2.0, 0.1},
    {CParameter::S0, "Minimum jam distance, s0 (m)", CDistribution::Continuous, 1.0, 0.05},
    {CParameter::S1, "Elastic jam distance, s1 (m)", CDistribution::Continuous, 10.0, 0.7},
    {CParameter::V0, "Desired velocity, v0 (km/h)", CDistribution::Continuous, 80, 3},
    {CParameter::Delta, "Acceleration exponent, delta", CDistribution::Constant, 4, 0},
    {CParameter::Polite, "Lane change politeness factor, p", CDistribution::Constant, 0, 0},
    {CParameter::Bias, "Outside lane bias factor, deltaAbias", CDistribution::Constant, 0.1, 0},
    {CParameter::DeltaAth, "Lane change threshold, deltaAth (m/s^2)", CDistribution::Constant, 0.3,
     0},
};

TEST(IDMParameterSet, EveryVehicleClassStartsWithTheSameDefaults) {
    for (int vehClass = 0; vehClass < 6; ++vehClass) {
        const CIDMParameterSet set(vehClass);
        EXPECT_EQ(set.getVehClass(), vehClass);
        for (const DefaultCase& c : defaultCases) {
            const CParameter* p = set.getParameter(c.kind);
            ASSERT_NE(p, nullptr);
            EXPECT_EQ(p->getID(), c.kind);
            EXPECT_EQ(CParameter::label(c.kind), c.label);
            auto dist = p->getDistribution();
            ASSERT_TRUE(dist);
            ASSERT_TRUE(dist->isType(c.distributionKind)) << c.label;
            EXPECT_EQ(dist->getMean(), c.location) << c.label;
            if (auto normal = std::dynamic_pointer_cast<CContinuousDist>(dist)) {
                EXPECT_EQ(normal->getForm(), CContinuousDist::Normal);
                EXPECT_EQ(normal->getScale(), c.scale);
                EXPECT_EQ(normal->getShape(), 0.0);
            }
        }
    }
    EXPECT_EQ(CIDMParameterSet(0).getParameter(299), nullptr);
    EXPECT_EQ(CIDMParameterSet(0).getParameter(310), nullptr);
}

TEST(IDMParameterSet, DefaultDriverHasTheConstantsExactlyAndScatteredNormals) {
    const CSettings settings;
    const CIDMParameterSet set(0);
    RandomGenerator rng(7);
    for (int i = 0; i < 200; ++i) {
        auto idm = std::dynamic_pointer_cast<IDM>(set.createDriver(rng, settings));
        ASSERT_TRUE(idm);
        EXPECT_EQ(idm->delta, 4.0);
        EXPECT_EQ(idm->politeness, 0.0);
        EXPECT_EQ(idm->bias, 0.1);
        EXPECT_EQ(idm->threshold, 0.3);
        EXPECT_NEAR(idm->T, 1.2, 6 * 0.05);
        EXPECT_NEAR(idm->a, 1.0, 6 * 0.05);
        EXPECT_NEAR(idm->b, 2.0, 6 * 0.1);
        EXPECT_NEAR(idm->s0, 1.0, 6 * 0.05);
        EXPECT_NEAR(idm->s1, 10.0, 6 * 0.7);
        EXPECT_NEAR(idm->v0, 80 * 0.27777778, 6 * 3 * 0.27777778);
        EXPECT_EQ(idm->v0Drawn, idm->v0);
        EXPECT_EQ(idm->sqrtAB2, 2.0 * std::sqrt(idm->a * idm->b));
        EXPECT_EQ(set.getParameter(CParameter::T)->getLastValue(), idm->T);
    }
}

TEST(IDMParameterSet, TwoVehiclesGetDifferentValues) {
    const CSettings settings;
    const CIDMParameterSet set(2);
    RandomGenerator rng;
    auto first = std::dynamic_pointer_cast<IDM>(set.createDriver(rng, settings));
    auto second = std::dynamic_pointer_cast<IDM>(set.createDriver(rng, settings));
    EXPECT_NE(first->T, second->T);
    EXPECT_NE(first->v0, second->v0);
}

// A set whose ten parameters are all the same constant.
CIDMParameterSet constantSet(double value) {
    CIDMParameterSet set(0);
    for (int kind = CParameter::T; kind <= CParameter::DeltaAth; ++kind) {
        CParameter* p = set.getParameter(kind);
        p->setKind(CDistribution::Constant);
        std::dynamic_pointer_cast<CConstantDist>(p->getDistribution())->setValue(value);
    }
    return set;
}

void setUniform(CIDMParameterSet& set, int kind, double location, double scale) {
    CParameter* p = set.getParameter(kind);
    p->setForm(CContinuousDist::Uniform);
    auto dist = std::dynamic_pointer_cast<CContinuousDist>(p->getDistribution());
    dist->setLocation(location);
    dist->setScale(scale);
}

TEST(IDMParameterSet, DrawsInSetOrderRepeatingNegativesExceptForTheBias) {
    const CSettings settings;
    CIDMParameterSet set = constantSet(1.0);
    setUniform(set, CParameter::T, 0, 1); // U maps to 2U - 1
    setUniform(set, CParameter::A, 0, 1);
    setUniform(set, CParameter::Bias, 0, 1);
    // T: -0.8, -0.6 drawn again, then 0.5; a: 0.25; bias: -0.8 kept.
    RandomGenerator rng = generatorDrawing({0.1, 0.2, 0.75, 0.625, 0.1});
    auto idm = std::dynamic_pointer_cast<IDM>(set.createDriver(rng, settings));
    EXPECT_NEAR(idm->T, 0.5, 1e-9);
    EXPECT_NEAR(idm->a, 0.25, 1e-9);
    EXPECT_NEAR(idm->bias, -0.8, 1e-9);
    EXPECT_EQ(idm->b, 1.0);
    EXPECT_EQ(idm->threshold, 1.0);
}

TEST(IDMParameterSet, ZeroIsAcceptedAndANegativeBiasIsKept) {
    const CSettings settings;
    CIDMParameterSet set = constantSet(0.0);
    std::dynamic_pointer_cast<CConstantDist>(set.getParameter(CParameter::Bias)->getDistribution())
        ->setValue(-0.2);
    RandomGenerator rng;
    auto idm = std::dynamic_pointer_cast<IDM>(set.createDriver(rng, settings));
    EXPECT_EQ(idm->T, 0.0);
    EXPECT_EQ(idm->bias, -0.2);
}

TEST(IDMParameterSet, NormalWithZeroLocationNeverGivesANegativeHeadway) {
    const CSettings settings;
    CIDMParameterSet set(0);
    auto t = std::dynamic_pointer_cast<CContinuousDist>(
        set.getParameter(CParameter::T)->getDistribution());
    t->setLocation(0);
    t->setScale(1);
    RandomGenerator rng(11);
    for (int i = 0; i < 500; ++i) {
        auto idm = std::dynamic_pointer_cast<IDM>(set.createDriver(rng, settings));
        EXPECT_GE(idm->T, 0.0);
    }
}

TEST(IDMParameterSet, AlwaysNegativeDistributionGivesZeroInsteadOfHanging) {
    const CSettings settings;
    CIDMParameterSet set = constantSet(-1.0);
    RandomGenerator rng;
    auto idm = std::dynamic_pointer_cast<IDM>(set.createDriver(rng, settings));
    EXPECT_EQ(idm->T, 0.0);
    EXPECT_EQ(idm->bias, -1.0);
}

TEST(IDMParameterSet, DesiredSpeedIsConvertedFromKilometresPerHour) {
    const CSettings settings;
    CIDMParameterSet set = constantSet(1.0);
    auto a = std::dynamic_pointer_cast<CConstantDist>(
        set.getParameter(CParameter::A)->getDistribution());
    auto b = std::dynamic_pointer_cast<CConstantDist>(
        set.getParameter(CParameter::B)->getDistribution());
    auto v0 = std::dynamic_pointer_cast<CConstantDist>(
        set.getParameter(CParameter::V0)->getDistribution());
    a->setValue(1.5);
    b->setValue(2.4);
    v0->setValue(90);
    RandomGenerator rng;
    auto idm = std::dynamic_pointer_cast<IDM>(set.createDriver(rng, settings));
    EXPECT_EQ(idm->v0, 90 * 0.27777778);
    EXPECT_NEAR(idm->v0, 25.0000002, 1e-9);
    EXPECT_EQ(idm->v0Drawn, idm->v0);
    EXPECT_EQ(idm->sqrtAB2, 2.0 * std::sqrt(1.5 * 2.4));
}

TEST(Parameter, SwitchingKindsAndForms) {
    CParameter constant(CParameter::Delta); // constant 4
    constant.setForm(CContinuousDist::Uniform);
    auto uniform = std::dynamic_pointer_cast<CContinuousDist>(constant.getDistribution());
    ASSERT_TRUE(uniform);
    EXPECT_EQ(uniform->getForm(), CContinuousDist::Uniform);
    EXPECT_EQ(uniform->getLocation(), 4.0);
    EXPECT_EQ(uniform->getScale(), 2.0);
    EXPECT_EQ(uniform->getShape(), 0.0);
    RandomGenerator rng;
    for (int i = 0; i < 100; ++i) {
        const double x = constant.draw(rng);
        EXPECT_GE(x, 2.0);
        EXPECT_LE(x, 6.0);
    }

    CParameter headway(CParameter::T); // normal 1.2, 0.05
    auto before = headway.getDistribution();
    EXPECT_EQ(headway.setKind(CDistribution::Continuous), 0);
    EXPECT_EQ(headway.getDistribution(), before);
    EXPECT_EQ(headway.setKind(CDistribution::Discrete), 1);
    EXPECT_EQ(headway.getDistribution(), before);
    headway.setForm(CContinuousDist::Gumbel);
    auto gumbel = std::dynamic_pointer_cast<CContinuousDist>(headway.getDistribution());
    EXPECT_EQ(gumbel->getForm(), CContinuousDist::Gumbel);
    EXPECT_EQ(gumbel->getLocation(), 1.2);
    EXPECT_EQ(gumbel->getScale(), 0.05);
    EXPECT_EQ(headway.setKind(CDistribution::Constant), 0);
    ASSERT_TRUE(headway.getDistribution()->isType(CDistribution::Constant));
    EXPECT_EQ(headway.getDistribution()->getMean(), 1.2);
    auto constantNow = headway.getDistribution();
    EXPECT_EQ(headway.setKind(CDistribution::Constant), 0);
    EXPECT_EQ(headway.getDistribution(), constantNow);
}

TEST(Parameter, DiscreteIsAnOwnCopyAndSwitchesBackToTheDefaults) {
    CDiscreteDist speeds(1, "Speeds");
    speeds.setData({70, 90});
    speeds.setPMF({0.5, 0.5});
    CParameter v0(CParameter::V0);
    v0.setDiscrete(speeds);
    speeds.setData({1, 2});
    ASSERT_TRUE(v0.getDistribution()->isType(CDistribution::Discrete));
    EXPECT_DOUBLE_EQ(v0.getDistribution()->getMean(), 80.0);

    CParameter asConstant = v0;
    EXPECT_EQ(asConstant.setKind(CDistribution::Constant), 0);
    EXPECT_EQ(asConstant.getDistribution()->getMean(), 80.0); // the kind's default location

    v0.setForm(CContinuousDist::Poisson);
    auto poisson = std::dynamic_pointer_cast<CContinuousDist>(v0.getDistribution());
    EXPECT_EQ(poisson->getForm(), CContinuousDist::Poisson);
    EXPECT_EQ(poisson->getLocation(), 80.0);
    EXPECT_EQ(poisson->getScale(), 3.0);

    v0.setDefaults();
    auto normal = std::dynamic_pointer_cast<CContinuousDist>(v0.getDistribution());
    ASSERT_TRUE(normal);
    EXPECT_EQ(normal->getForm(), CContinuousDist::Normal);
    EXPECT_EQ(normal->getLocation(), 80.0);
    EXPECT_EQ(normal->getScale(), 3.0);
}

TEST(IDMParameterSet, CopiesCloneTheDistributionsAndAssignmentKeepsTheClass) {
    CIDMParameterSet source(3);
    setUniform(source, CParameter::S1, 12, 1);
    CIDMParameterSet target(1);
    target = source;
    EXPECT_EQ(target.getVehClass(), 1);
    for (int kind = CParameter::T; kind <= CParameter::DeltaAth; ++kind)
        EXPECT_NE(target.getParameter(kind)->getDistribution(),
                  source.getParameter(kind)->getDistribution());
    auto copied = std::dynamic_pointer_cast<CContinuousDist>(
        target.getParameter(CParameter::S1)->getDistribution());
    EXPECT_EQ(copied->getForm(), CContinuousDist::Uniform);
    EXPECT_EQ(copied->getLocation(), 12.0);
    setUniform(source, CParameter::S1, 20, 1);
    EXPECT_EQ(copied->getLocation(), 12.0);

    const CIDMParameterSet constructed(source);
    EXPECT_EQ(constructed.getVehClass(), 3);
    EXPECT_NE(constructed.getParameter(CParameter::T)->getDistribution(),
              source.getParameter(CParameter::T)->getDistribution());
}

TEST(Parameter, DistributionChoicesInGridOrder) {
    const auto choices = CParameter::distributionChoices();
    ASSERT_EQ(choices.size(), 10u);
    EXPECT_EQ(choices[0], "Constant");
    EXPECT_EQ(choices[2], "Discrete");
    EXPECT_EQ(choices[9], "Gamma");
}

} // namespace
} // namespace tarlo
