#include "cli/ProgressLine.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace tarlo::test {
namespace {

struct ProgressCase {
    const char* name;
    cli::ProgressFigures figures;
    std::string line;
    friend void PrintTo(const ProgressCase& c, std::ostream* os) { *os << c.name; }
};

class ProgressLine : public testing::TestWithParam<ProgressCase> {};

TEST_P(ProgressLine, Formats) {
    EXPECT_EQ(cli::progressLine(GetParam().figures), GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(
    Figures, ProgressLine,
    testing::Values(
        // Before any wall-clock time has passed there is no speed-up to tell.
        ProgressCase{"AtTheStart",
                     {0, 0, 3600.0, 0.0, 0},
                     "0% read | 0 vehicles on the road | t = 3600 s | 00:00:00"},
        ProgressCase{"OneVehicle",
                     {1, 1, 3600.4, 0.4, 200},
                     "1% read | 1 vehicle on the road | t = 3600 s | 2.0x real time | 00:00:00"},
        // Simulated seconds per wall-clock second, from the run's own start.
        ProgressCase{"FastRun",
                     {42, 312, 5423.5, 1823.5, 65000},
                     "42% read | 312 vehicles on the road | t = 5424 s | 28x real time | "
                     "00:01:05"},
        ProgressCase{"SlowerThanRealTime",
                     {7, 2048, 90000.0, 30.0, 60000},
                     "7% read | 2048 vehicles on the road | t = 90000 s | 0.5x real time | "
                     "00:01:00"},
        // Hours keep counting past a day.
        ProgressCase{"LongRun",
                     {100, 3, 21600000.0, 21596400.0, 90061000},
                     "100% read | 3 vehicles on the road | t = 21600000 s | 240x real time | "
                     "25:01:01"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tarlo::test
