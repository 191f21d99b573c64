#include "GeneratorSupport.h"
#include "vehicles/CConstantDist.h"
#include "vehicles/CContinuousDist.h"
#include "vehicles/CDiscreteDist.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace tarlo {
namespace {

using test::generatorYielding;
using test::outputFor;

constexpr std::uint32_t Half = 2147483648u; // U = 0.5000000001164153

TEST(ConstantDist, AlwaysGivesItsValueWithoutDrawing) {
    CConstantDist dist(4.0);
    RandomGenerator rng;
    EXPECT_EQ(dist.generate(rng), 4.0);
    EXPECT_EQ(dist.generate(rng), 4.0);
    EXPECT_EQ(dist.getMean(), 4.0);
    EXPECT_EQ(rng.next(), RandomGenerator().next());
    EXPECT_TRUE(dist.isType(CDistribution::Constant));
    EXPECT_FALSE(dist.isType(CDistribution::Continuous));
}

// One continuous draw from given generator outputs, against values worked out by hand from
// the sampling formulas.
struct ContinuousCase {
    const char* name;
    int form;
    double location;
    double scale;
    double shape;
    std::vector<std::uint32_t> outputs;
    double expected;
    double tolerance;
};

void PrintTo(const ContinuousCase& c, std::ostream* os) {
    *os << c.name;
}

class ContinuousSample : public testing::TestWithParam<ContinuousCase> {};

TEST_P(ContinuousSample, GivesTheFormulaValue) {
    const ContinuousCase& c = GetParam();
    CContinuousDist dist(c.form, c.location, c.scale, c.shape);
    RandomGenerator rng = generatorYielding(c.outputs);
    EXPECT_NEAR(dist.generate(rng), c.expected, c.tolerance);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, ContinuousSample,
    testing::Values(
        ContinuousCase{"UniformAtZero", CContinuousDist::Uniform, 10, 2, 0, {0u}, 8.0, 0.0},
        ContinuousCase{
            "UniformAtOne", CContinuousDist::Uniform, 10, 2, 0, {4294967295u}, 12.0, 0.0},
        ContinuousCase{"UniformQuarter",
                       CContinuousDist::Uniform,
                       10,
                       2,
                       0,
                       {1073741824u},
                       9.0000000002328306,
                       1e-14},
        ContinuousCase{"Exponential",
                       CContinuousDist::Exponential,
                       1,
                       2,
                       0,
                       {Half},
                       2.3862943606542295,
                       1e-14},
        ContinuousCase{
            "Gumbel", CContinuousDist::Gumbel, 1, 2, 0, {Half}, 1.183256460458784, 1e-14},
        ContinuousCase{"GEV", CContinuousDist::GEV, 1, 2, 0.5, {Half}, 1.6697815559285254, 1e-14},
        ContinuousCase{"GEVZeroShapeIsTheGumbelLimit",
                       CContinuousDist::GEV,
                       1,
                       2,
                       0,
                       {Half},
                       1.7330258418351359,
                       1e-14},
        // U2 < 0.5 takes the cosine, U2 >= 0.5 the sine.
        ContinuousCase{"LogNormalCosine",
                       CContinuousDist::LogNormal,
                       0.3,
                       0.5,
                       0,
                       {1302514674u, 536870912u},
                       2.330671406145253,
                       1e-14},
        ContinuousCase{"LogNormalSine",
                       CContinuousDist::LogNormal,
                       0.3,
                       0.5,
                       0,
                       {1302514674u, 2684354560u},
                       0.7817999545083709,
                       1e-14},
        ContinuousCase{"PoissonSine",
                       CContinuousDist::Poisson,
                       0.5,
                       4,
                       0,
                       {1302514674u, 2684354560u},
                       -2.1846255352464197,
                       1e-14},
        // Near a quarter turn the cosine shows the rounded circle constant: the full-precision
        // constant would give -1.12993e-9.
        ContinuousCase{"PoissonUsesTheRoundedPi",
                       CContinuousDist::Poisson,
                       0.5,
                       4,
                       0,
                       {1302514674u, 1073741824u},
                       -1.1302505143010403e-09,
                       1e-16},
        ContinuousCase{"NormalRejectsOutsideTheCircle",
                       CContinuousDist::Normal,
                       10,
                       2,
                       0,
                       {4294967295u, 4294967295u, 3221225471u, 1073741824u},
                       11.665109222874712,
                       1e-13},
        ContinuousCase{"UnknownFormGivesTheLocation", 299, 7.5, 2, 1, {Half}, 7.5, 0.0},
        // A draw of exactly 0 or 1 would make the logarithm infinite: it is drawn again.
        ContinuousCase{"ExponentialRedrawsZero",
                       CContinuousDist::Exponential,
                       1,
                       2,
                       0,
                       {0u, Half},
                       2.3862943606542295,
                       1e-14},
        ContinuousCase{"GumbelRedrawsOne",
                       CContinuousDist::Gumbel,
                       1,
                       2,
                       0,
                       {4294967295u, Half},
                       1.183256460458784,
                       1e-14}),
    [](const testing::TestParamInfo<ContinuousCase>& info) { return info.param.name; });

TEST(ContinuousDist, NormalSecondDrawIsTheSpareWithoutDrawing) {
    CContinuousDist dist(CContinuousDist::Normal, 10, 2, 0);
    CContinuousDist other(CContinuousDist::Normal, 100, 1, 0);
    RandomGenerator rng;
    EXPECT_DOUBLE_EQ(dist.generate(rng), 10 + 2 * 0.2531608183567159);
    // The spare is shared by every normal distribution drawing from this generator.
    EXPECT_DOUBLE_EQ(other.generate(rng), 100 - 0.2932189163404662);
    RandomGenerator reference;
    reference.next();
    reference.next();
    EXPECT_EQ(rng.next(), reference.next());
}

// Seed 1765 takes every branch of the gamma sampler: a Leva rejection, the Leva squeeze, a
// rejected and an accepted logarithmic test.
struct GammaCase {
    std::uint32_t seed;
    double shape;
    double expected;
    int draws;
};

TEST(ContinuousDist, GammaFollowsMarsagliaTsangWithLevaNormals) {
    const GammaCase cases[] = {
        {5489, 2.0, 0.5727557813030629, 3},
        {5489, 0.5, 0.24099546303964528, 4},
        {1765, 2.0, 0.11733348972993986, 8},
        {1765, 0.5, 0.0012423391237624745, 9},
    };
    for (const GammaCase& c : cases) {
        CContinuousDist dist(CContinuousDist::Gamma, c.shape, 1.5, 0);
        RandomGenerator rng(c.seed);
        EXPECT_NEAR(dist.generate(rng), c.expected, 1e-14 * c.expected) << c.seed << " " << c.shape;
        RandomGenerator reference(c.seed);
        for (int i = 0; i < c.draws; ++i)
            reference.next();
        EXPECT_EQ(rng.next(), reference.next()) << "draws used, seed " << c.seed;
    }
}

TEST(ContinuousDist, MeanIsTheLocationAndLabelsFollowTheForm) {
    EXPECT_EQ(CContinuousDist(CContinuousDist::Gumbel, 3.5, 1, 0).getMean(), 3.5);
    EXPECT_EQ(CContinuousDist::formLabel(CContinuousDist::Exponential), "Exponential");
    EXPECT_EQ(CContinuousDist::formLabel(CContinuousDist::LogNormal), "Log-Normal");
    EXPECT_EQ(CContinuousDist::formLabel(CContinuousDist::GEV), "GEV");
    EXPECT_EQ(CContinuousDist::formLabel(CContinuousDist::Uniform), "Uniform");
    EXPECT_EQ(CContinuousDist::formLabel(208), "Normal");
}

TEST(DiscreteDist, DerivesCumulativeProbabilitiesAndMean) {
    CDiscreteDist dist;
    dist.setData({1, 2, 3});
    dist.setPMF({0.2, 0.3, 0.5});
    EXPECT_EQ(dist.getSize(), 3);
    ASSERT_EQ(dist.getCDF().size(), 3u);
    EXPECT_DOUBLE_EQ(dist.getCDF()[0], 0.2);
    EXPECT_DOUBLE_EQ(dist.getCDF()[1], 0.5);
    EXPECT_DOUBLE_EQ(dist.getCDF()[2], 1.0);
    EXPECT_DOUBLE_EQ(dist.getMean(), 2.3);

    dist.setData({1, 2, 3, 4});
    dist.setPMF({0.2, 0.2, 0.2, 0.2, 0.2});
    EXPECT_EQ(dist.getSize(), 5);
    EXPECT_EQ(dist.getMean(), 0.0);
}

struct DiscreteCase {
    std::vector<double> data;
    std::vector<double> pmf;
    std::uint32_t output;
    double expected;
};

TEST(DiscreteDist, GivesTheFirstValueWhoseCumulativeProbabilityExceedsTheDraw) {
    const std::vector<double> values = {1, 2, 3};
    const DiscreteCase cases[] = {
        {values, {0.2, 0.3, 0.5}, outputFor(0.2), 2},
        {values, {0.2, 0.3, 0.5}, outputFor(0.19), 1},
        {values, {0.2, 0.3, 0.5}, 0u, 1},
        {values, {0.2, 0.3, 0.5}, 4294967295u, 3},
        // Probabilities summing to 0.6 leave the last value for every draw from 0.6 on.
        {values, {0.2, 0.2, 0.2}, outputFor(0.6), 3},
        {values, {0.2, 0.2, 0.2}, outputFor(0.99), 3},
        // More probabilities than values: never reads past the values.
        {values, {0.1, 0.1, 0.1, 0.1, 0.6}, outputFor(0.95), 3},
        {{}, {}, outputFor(0.5), 0},
    };
    for (const DiscreteCase& c : cases) {
        CDiscreteDist dist;
        dist.setData(c.data);
        dist.setPMF(c.pmf);
        RandomGenerator rng = generatorYielding({c.output});
        EXPECT_EQ(dist.generate(rng), c.expected) << "output " << c.output;
    }
}

TEST(DiscreteDist, IsAnElementWithItsNameAndNumber) {
    CDiscreteDist fresh;
    EXPECT_EQ(fresh.getDescription(), "Discrete Dist.");
    EXPECT_EQ(fresh.getElementType(), CElement::DiscreteDistribution);
    EXPECT_EQ(fresh.getTypeLabel(), "Discrete Distribution");

    CDiscreteDist made(3, "New Discrete Dist No. 3");
    EXPECT_EQ(made.getID(), 3);
    EXPECT_EQ(made.getDescription(), "New Discrete Dist No. 3");
    EXPECT_EQ(made.getData(), std::vector<double>(5, 0.0));
    EXPECT_EQ(made.getPMF(), std::vector<double>(5, 0.0));
    EXPECT_EQ(made.getSize(), 5);
}

TEST(DiscreteDist, CopyTakesEverythingAndRecomputes) {
    CDiscreteDist source(7, "Speeds");
    source.setData({80, 100});
    source.setPMF({0.25, 0.75});
    CDiscreteDist target;
    target.copy(source);
    EXPECT_EQ(target.getDescription(), "Speeds");
    EXPECT_EQ(target.getID(), 7);
    EXPECT_EQ(target.getData(), source.getData());
    EXPECT_EQ(target.getPMF(), source.getPMF());
    EXPECT_EQ(target.getCDF(), (std::vector<double>{0.25, 1.0}));
    EXPECT_DOUBLE_EQ(target.getMean(), 95.0);
}

TEST(Distribution, CloneIsAnIndependentCopyOfTheSameKind) {
    auto continuous = std::make_shared<CContinuousDist>(CContinuousDist::GEV, 1, 2, 3);
    auto copy = std::dynamic_pointer_cast<CContinuousDist>(continuous->clone());
    ASSERT_TRUE(copy);
    EXPECT_NE(copy, continuous);
    continuous->setLocation(9);
    EXPECT_EQ(copy->getForm(), CContinuousDist::GEV);
    EXPECT_EQ(copy->getLocation(), 1);
    EXPECT_EQ(copy->getScale(), 2);
    EXPECT_EQ(copy->getShape(), 3);

    auto discrete = std::make_shared<CDiscreteDist>(2, "Gaps");
    std::shared_ptr<CDistribution> cloned = discrete->clone();
    EXPECT_TRUE(cloned->isType(CDistribution::Discrete));
    EXPECT_EQ(std::dynamic_pointer_cast<CDiscreteDist>(cloned)->getDescription(), "Gaps");

    std::shared_ptr<CDistribution> constant = std::make_shared<CConstantDist>(2.5);
    EXPECT_EQ(constant->shared_from_this(), constant);
    EXPECT_EQ(constant->clone()->getMean(), 2.5);
}

} // namespace
} // namespace tarlo
