#include "detectors/NumberText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iomanip>
#include <limits>
#include <locale>
#include <sstream>
#include <string>

namespace tarlo {
namespace {

// The rows' numbers must read exactly as a stream in the given format writes them: the
// output files are compared byte for byte. The values sit on the edges of the notation
// (where %g turns to exponents), of rounding and of the special values.
const double edgeValues[] = {0.0,
                             -0.0,
                             1.0,
                             -2.5,
                             0.1,
                             1.0 / 3.0,
                             2.0 / 3.0,
                             1e-4,
                             9.99995e-5,
                             1e-5,
                             123456.0,
                             123456.5,
                             999999.4,
                             999999.5,
                             1e6,
                             1234567.0,
                             0.00012345675,
                             60.0,
                             76.5,
                             3.6 / 7.0,
                             1e300,
                             -1e-300,
                             5e-324,
                             2.675,
                             0.005,
                             0.015,
                             1.005,
                             12.5,
                             std::numeric_limits<double>::max(),
                             std::numeric_limits<double>::quiet_NaN(),
                             -std::numeric_limits<double>::quiet_NaN(),
                             std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity()};

std::string streamed(double value, bool fixedTwo) {
    std::ostringstream out;
    out.imbue(std::locale::classic());
    if (fixedTwo)
        out << std::fixed << std::setprecision(2);
    out << value;
    return out.str();
}

template <typename Text> std::string written(Text text) {
    std::ostringstream out;
    out << text;
    return out.str();
}

TEST(NumberTextTest, ReadsAsTheDefaultStreamFormat) {
    for (double value : edgeValues)
        EXPECT_EQ(written(Number{value}), streamed(value, false)) << value;
}

TEST(NumberTextTest, ReadsAsTheFixedTwoDecimalStreamFormat) {
    for (double value : edgeValues)
        EXPECT_EQ(written(FixedTwo{value}), streamed(value, true)) << value;
}

TEST(NumberTextTest, AFailedStreamDropsTheNumber) {
    std::ostringstream out;
    out.setstate(std::ios::badbit);
    out << Number{1.5} << FixedTwo{2.5};
    EXPECT_TRUE(out.str().empty());
}

} // namespace
} // namespace tarlo
