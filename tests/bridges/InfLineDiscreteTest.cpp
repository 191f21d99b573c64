#include "bridges/CInfLineDiscrete.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <random>
#include <vector>

namespace tarlo {
namespace {

CInfLineDiscrete makeLine(std::vector<double> distances, std::vector<double> ordinates) {
    CInfLineDiscrete line;
    line.SetPoints(std::move(distances), std::move(ordinates));
    return line;
}

struct OrdinateCase {
    double x;
    double expected;
};

void expectOrdinates(const CInfLineDiscrete& line, const std::vector<OrdinateCase>& cases) {
    for (const OrdinateCase& c : cases)
        EXPECT_EQ(line.GetOrdinate(c.x), c.expected) << "x = " << c.x;
}

TEST(InfLineDiscreteOrdinate, InterpolatesBetweenPointsWithToleranceAtTheEnd) {
    const CInfLineDiscrete line = makeLine({0.0, 10.0, 20.0}, {0.0, 1.0, 0.5});
    expectOrdinates(line, {
                              {-0.5, 0.0},
                              {0.0, 0.0},
                              {5.0, 0.5},
                              {10.0, 1.0},
                              {15.0, 0.75},
                              // Within 1 mm of the end the last ordinate holds exactly.
                              {19.9995, 0.5},
                              {20.0, 0.5},
                              {20.0005, 0.5},
                              {20.002, 0.0},
                          });
    // Just outside the tolerance the interpolation applies.
    EXPECT_NEAR(line.GetOrdinate(19.998), 0.5001, 1e-12);
}

TEST(InfLineDiscreteOrdinate, NothingBeforeTheFirstDistance) {
    const CInfLineDiscrete line = makeLine({5.0, 15.0}, {2.0, 4.0});
    expectOrdinates(line, {{-1.0, 0.0}, {0.0, 0.0}, {4.999, 0.0}, {5.0, 2.0}, {10.0, 3.0}});
}

TEST(InfLineDiscreteOrdinate, RepeatedDistanceIsAStep) {
    const CInfLineDiscrete line = makeLine({0.0, 10.0, 10.0, 20.0}, {0.0, 1.0, 5.0, 0.0});
    expectOrdinates(line, {{5.0, 0.5}, {10.0, 5.0}, {15.0, 2.5}});
}

TEST(InfLineDiscreteOrdinate, OutOfOrderDistancesTakeTheFirstPointBeyondX) {
    // Length 20 (the last distance); 10 lies before the 30 of point 2, so it is interpolated
    // between points 1 and 2 as the table stands.
    const CInfLineDiscrete line = makeLine({0.0, 30.0, 20.0}, {0.0, 3.0, 1.0});
    expectOrdinates(line, {{10.0, 1.0}, {20.0, 1.0}, {25.0, 0.0}});

    // Here a bisection would land between 10 and 40.
    const CInfLineDiscrete zigzag =
        makeLine({0.0, 30.0, 10.0, 40.0, 50.0}, {0.0, 3.0, 0.0, 4.0, 0.0});
    EXPECT_EQ(zigzag.GetOrdinate(20.0), 2.0);
    EXPECT_NEAR(zigzag.GetOrdinate(35.0), 25.0 * 4.0 / 30.0, 1e-12);
}

// A load effect skips the axles outside a line's support, so every ordinate there must be
// 0: lines that start before or after 0, out of order, ending on a step, and none at all.
TEST(InfLineDiscreteOrdinate, NothingOutsideTheSupport) {
    const CInfLineDiscrete lines[] = {
        makeLine({0.0, 10.0, 20.0}, {0.0, 1.0, 0.5}),
        makeLine({-5.0, 15.0}, {2.0, 4.0}),
        makeLine({5.0, 15.0}, {2.0, 4.0}),
        makeLine({0.0, 30.0, 20.0}, {0.0, 3.0, 1.0}),
        makeLine({0.0, 10.0, 10.0}, {0.0, 1.0, 5.0}),
        CInfLineDiscrete(),
    };
    for (const CInfLineDiscrete& line : lines) {
        const auto [first, last] = line.Support();
        for (double x = -20.0; x <= 60.0; x += 0.0625) {
            if (x < first || x > last) {
                EXPECT_EQ(line.GetOrdinate(x), 0.0) << "x = " << x;
            }
        }
        for (const double x : {std::nextafter(first, -1e9), std::nextafter(last, 1e9)})
            EXPECT_EQ(line.GetOrdinate(x), 0.0) << "x = " << x;
    }
}

TEST(InfLineDiscreteOrdinate, IncompleteLinesAreSafeToEvaluate) {
    const std::vector<double> xs = {-1.0, 0.0,  0.0005, 5.0,
                                    10.0, 20.0, 1e9,    std::numeric_limits<double>::quiet_NaN()};
    // No points at all; distances without ordinates; ordinates without distances.
    for (const CInfLineDiscrete& line :
         {CInfLineDiscrete(), makeLine({0.0, 10.0}, {}), makeLine({}, {1.0, 2.0})}) {
        for (const double x : xs)
            EXPECT_EQ(line.GetOrdinate(x), 0.0) << "x = " << x;
    }
    // Fewer ordinates than distances: only complete points count, and the end (still the
    // last distance) holds the last ordinate there is.
    const CInfLineDiscrete shortOrdinates = makeLine({0.0, 10.0, 20.0}, {0.0, 1.0});
    expectOrdinates(shortOrdinates, {{5.0, 0.5}, {15.0, 0.0}, {20.0, 1.0}});
    // More ordinates than distances: the extra ones are never read.
    const CInfLineDiscrete longOrdinates = makeLine({0.0, 10.0}, {0.0, 1.0, 7.0});
    expectOrdinates(longOrdinates, {{5.0, 0.5}, {10.0, 1.0}});
}

TEST(InfLineDiscreteOrdinate, NaNGivesZero) {
    const CInfLineDiscrete line = makeLine({0.0, 10.0, 20.0}, {0.0, 1.0, 0.5});
    EXPECT_EQ(line.GetOrdinate(std::numeric_limits<double>::quiet_NaN()), 0.0);
    const CInfLineDiscrete unordered = makeLine({0.0, 30.0, 20.0}, {0.0, 3.0, 1.0});
    EXPECT_EQ(unordered.GetOrdinate(std::numeric_limits<double>::quiet_NaN()), 0.0);
}

// The lookup scans upwards for the first distance beyond x; ascending tables may bisect
// instead, which must find the very same point.
double scannedOrdinate(const std::vector<double>& d, const std::vector<double>& o, double x) {
    const std::size_t n = d.size();
    const double length = d.back();
    if (length - 0.001 <= x && x <= length + 0.001)
        return o[n - 1];
    if (x < d[0] || x > length)
        return 0.0;
    std::size_t i = 0;
    while (!(x < d[i]))
        ++i;
    return o[i - 1] + (x - d[i - 1]) * (o[i] - o[i - 1]) / (d[i] - d[i - 1]);
}

TEST(InfLineDiscreteOrdinate, BisectionMatchesTheUpwardScan) {
    std::mt19937 random(20240607);
    std::uniform_real_distribution<double> step(0.0, 2.0);
    std::uniform_real_distribution<double> ordinate(-1.0, 1.0);
    std::bernoulli_distribution repeat(0.1);
    for (int trial = 0; trial < 50; ++trial) {
        std::vector<double> d = {std::floor(step(random))};
        std::vector<double> o = {ordinate(random)};
        const int points = 2 + trial * 3;
        for (int i = 1; i < points; ++i) {
            // Whole and half metres, some repeated, so that x often hits a distance.
            d.push_back(d.back() + (repeat(random) ? 0.0 : std::round(step(random) * 2) / 2));
            o.push_back(ordinate(random));
        }
        const CInfLineDiscrete line = makeLine(d, o);
        std::uniform_real_distribution<double> anywhere(d.front() - 1.0, d.back() + 1.0);
        for (int k = 0; k < 200; ++k) {
            const double x =
                k % 4 == 0 ? d[static_cast<std::size_t>(k) % d.size()] : anywhere(random);
            EXPECT_EQ(line.GetOrdinate(x), scannedOrdinate(d, o, x))
                << "trial " << trial << ", x = " << x;
        }
    }
}

TEST(InfLineDiscreteConstruction, PlainNamedAndCopied) {
    const CInfLineDiscrete plain;
    EXPECT_EQ(plain.GetType(), CInfluenceLine::IL_DISCRETE);
    EXPECT_EQ(plain.GetTypeName(), "Discrete");
    EXPECT_EQ(plain.getDescription(), "Discrete IL");
    EXPECT_EQ(plain.getElementType(), CElement::InfluenceLine);
    EXPECT_EQ(plain.GetNoPoints(), 0);
    EXPECT_EQ(plain.GetLength(), 0.0);

    CInfLineDiscrete named(3, "New IL No. 3");
    EXPECT_EQ(named.GetID(), 3);
    EXPECT_EQ(named.getDescription(), "New IL No. 3");
    EXPECT_EQ(named.getElementType(), CElement::InfluenceLine);
    EXPECT_EQ(named.GetDistances(), (std::vector<double>{0, 10, 20, 30, 40}));
    EXPECT_EQ(named.GetOrdinates(), (std::vector<double>(5, 1.0)));
    EXPECT_EQ(named.GetNoPoints(), 5);
    EXPECT_EQ(named.GetLength(), 40.0);
    EXPECT_EQ(named.GetOrdinate(25.0), 1.0);

    named.SetOrdinate(2, 3.0);
    const CInfLineDiscrete copy(named);
    EXPECT_EQ(copy.GetID(), 3);
    EXPECT_EQ(copy.getDescription(), "New IL No. 3");
    EXPECT_EQ(copy.GetOrdinates(), named.GetOrdinates());
    EXPECT_EQ(copy.GetNoPoints(), 5);
    EXPECT_EQ(copy.GetLength(), 40.0);
    EXPECT_EQ(copy.GetOrdinate(15.0), 2.0);

    const std::shared_ptr<CInfluenceLine> clone = named.Clone();
    const auto discrete = std::dynamic_pointer_cast<CInfLineDiscrete>(clone);
    ASSERT_NE(discrete, nullptr);
    EXPECT_EQ(discrete->GetID(), 3);
    EXPECT_EQ(discrete->getDescription(), "New IL No. 3");
    EXPECT_EQ(discrete->GetOrdinate(15.0), 2.0);
    EXPECT_EQ(clone->shared_from_this(), clone);
}

TEST(InfLineDiscreteEditing, CountAndLengthFollowTheDistances) {
    CInfLineDiscrete line(1, "IL");
    line.SetDistance(4, 50.0);
    EXPECT_EQ(line.GetLength(), 50.0);
    EXPECT_EQ(line.GetOrdinate(50.0), 1.0);

    line.AddPoint(60.0, 0.0);
    EXPECT_EQ(line.GetNoPoints(), 6);
    EXPECT_EQ(line.GetLength(), 60.0);
    EXPECT_EQ(line.GetOrdinate(55.0), 0.5);

    line.DeletePoint(0);
    EXPECT_EQ(line.GetNoPoints(), 5);
    EXPECT_EQ(line.GetDistances().front(), 10.0);
    EXPECT_EQ(line.GetOrdinate(5.0), 0.0);

    // Indices outside the table change nothing.
    line.SetDistance(9, 99.0);
    line.SetOrdinate(9, 99.0);
    line.DeletePoint(9);
    EXPECT_EQ(line.GetNoPoints(), 5);
    EXPECT_EQ(line.GetLength(), 60.0);

    // Moving a distance out of order switches the lookup to the scan: 32 lies before the
    // 35 of point 1 (a bisection would have landed between 30 and 50).
    line.SetDistance(1, 35.0); // 10, 35, 30, 50, 60
    line.SetOrdinate(1, 3.0);  // 1, 3, 1, 1, 0
    EXPECT_NEAR(line.GetOrdinate(32.0), 1.0 + 22.0 * 2.0 / 25.0, 1e-12);

    line.SetDistances({});
    EXPECT_EQ(line.GetNoPoints(), 0);
    EXPECT_EQ(line.GetLength(), 0.0);
    EXPECT_EQ(line.GetOrdinate(0.0), 0.0);

    line.SetDistances({0.0, 4.0});
    line.SetOrdinates({2.0, 4.0});
    EXPECT_EQ(line.GetNoPoints(), 2);
    EXPECT_EQ(line.GetLength(), 4.0);
    EXPECT_EQ(line.GetOrdinate(1.0), 2.5);
}

} // namespace
} // namespace tarlo
