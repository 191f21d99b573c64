#include "bridges/FixedNotation.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace tarlo {
namespace {

// Both formatters on the same value, in a buffer of `room` (at most 400) characters; the
// library's text is the expected one.
struct Formatted {
    std::errc ec;
    std::string text;
};

Formatted library(double value, int precision, std::size_t room = 400) {
    char buffer[400];
    const auto [end, ec] =
        std::to_chars(buffer, buffer + room, value, std::chars_format::fixed, precision);
    return {ec, ec == std::errc{} ? std::string(buffer, end) : std::string()};
}

Formatted ours(double value, int precision, std::size_t room = 400) {
    char buffer[400];
    const auto [end, ec] = toCharsFixed(buffer, buffer + room, value, precision);
    return {ec, ec == std::errc{} ? std::string(buffer, end) : std::string()};
}

// Precisions of the integer path (0 to 2) and two of the general one.
constexpr int Precisions[] = {0, 1, 2, 3, 4};

void expectSameText(double value) {
    for (const int precision : Precisions) {
        const Formatted expected = library(value, precision);
        const Formatted actual = ours(value, precision);
        ASSERT_EQ(actual.ec, expected.ec) << value << " precision " << precision;
        ASSERT_EQ(actual.text, expected.text)
            << std::hexfloat << value << " precision " << precision;
    }
}

TEST(FixedNotation, SpecialValuesAndBoundaries) {
    const double max = std::numeric_limits<double>::max();
    const double cases[] = {
        0.0, -0.0,
        // Negative values that round to zero keep their sign.
        -0.04, -0.05, -0.0049, -1e-300,
        // Ties on the exact binary value go to the even neighbour.
        0.5, 1.5, 2.5, -2.5, 0.25, 0.75, -0.25, 0.125, 0.375, 0.0625, 1.0625, 1e6 + 0.5,
        // Decimal-looking values that lie just below or above the tie.
        0.05, 0.15, 0.35, 0.45, 1.005, 2.675, 1234.55, -7.04, 12.3456, 1234.56,
        // Subnormal and tiny values.
        std::numeric_limits<double>::denorm_min(), -std::numeric_limits<double>::denorm_min(),
        std::numeric_limits<double>::min(), 1e-20,
        // Around 2^53, where the integer path gives way to the general one.
        9007199254740991.0, 9007199254740992.0, 9007199254740994.0, 4503599627370495.5,
        -9007199254740991.0, 1e15 + 0.25, 999999999999999.9,
        // Large, infinite and not-a-number values; and the block writers' start values.
        1e12, -1e12, 1e300, -1e300, max, -max, std::numeric_limits<double>::infinity(),
        -std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN(),
        -std::numeric_limits<double>::quiet_NaN()};
    for (const double value : cases)
        expectSameText(value);
}

TEST(FixedNotation, EveryNeighbourOfTheDecimalTies) {
    // The doubles nearest to n + 0.5 / 10^p and their neighbours, where a rounding decided
    // on the rounded product instead of the exact one goes wrong.
    for (const int precision : {1, 2, 3}) {
        const double scale = std::pow(10.0, precision);
        for (std::int64_t n = -20000; n <= 20000; ++n) {
            const double tie = (static_cast<double>(n) + 0.5) / scale;
            double below = std::nextafter(tie, -HUGE_VAL), above = std::nextafter(tie, HUGE_VAL);
            for (const double value : {below, tie, above})
                expectSameText(value);
        }
    }
}

TEST(FixedNotation, RandomValuesOfTheWrittenRanges) {
    std::mt19937_64 random(20261210);
    struct Range {
        double low, high;
    };
    // Times of a day or a year, load effects of every size, values around zero.
    const Range ranges[] = {{0.0, 86400.0}, {0.0, 3.2e7},  {-1e5, 1e5}, {-1e4, 1e4},
                            {-10.0, 10.0},  {-1e-3, 1e-3}, {-1e9, 1e9}};
    for (const Range& range : ranges) {
        std::uniform_real_distribution<double> uniform(range.low, range.high);
        for (int i = 0; i < 300000; ++i)
            expectSameText(uniform(random));
    }
    // Arbitrary bit patterns: every exponent, including those of the general path.
    for (int i = 0; i < 300000; ++i) {
        const auto bits = random();
        double value;
        std::memcpy(&value, &bits, sizeof value);
        expectSameText(value);
    }
}

TEST(FixedNotation, SumsOfASubStepLikeTheWrittenTimes) {
    // The times of the rows: a start time plus multiples of a sub-step duration.
    for (const double step : {0.025, 0.1, 0.01, 0.05, 0.3 / 7}) {
        double time = 12.345;
        for (int i = 0; i < 200000; ++i, time += step)
            expectSameText(time);
    }
}

TEST(FixedNotation, TooSmallABufferIsReportedAsTheLibraryDoes) {
    struct Case {
        double value;
        int precision;
        std::size_t room;
    };
    const Case cases[] = {{12.35, 2, 4},  {12.35, 2, 5}, {-0.04, 1, 3}, {-0.04, 1, 4},
                          {1e300, 1, 10}, {7.0, 0, 0},   {7.0, 0, 1}};
    for (const Case& c : cases) {
        const Formatted expected = library(c.value, c.precision, c.room);
        const Formatted actual = ours(c.value, c.precision, c.room);
        EXPECT_EQ(actual.ec, expected.ec) << c.value << " in " << c.room;
        EXPECT_EQ(actual.text, expected.text) << c.value << " in " << c.room;
    }
}

} // namespace
} // namespace tarlo
