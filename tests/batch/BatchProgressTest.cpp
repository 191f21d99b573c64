#include "batch/BatchProgress.h"

#include <gtest/gtest.h>

#include <ostream>

namespace tarlo::test {
namespace {

using batch::BatchProgress;

struct ProgressCase {
    const char* name;
    BatchProgress progress;
    const char* line;
};

void PrintTo(const ProgressCase& c, std::ostream* os) {
    *os << c.name;
}

class ProgressLine : public testing::TestWithParam<ProgressCase> {};

TEST_P(ProgressLine, ShowsRunsAndTimeLeft) {
    EXPECT_EQ(batch::progressLine(GetParam().progress), GetParam().line);
}

// Fields: total, completed, skipped, failed, running, jobs, finished s, running s.
INSTANTIATE_TEST_SUITE_P(
    Batches, ProgressLine,
    testing::Values(
        // Nothing has ended, so nothing tells the time a run takes.
        ProgressCase{"BeforeTheFirstEnd",
                     {4, 0, 0, 0, 2, 2, 0.0, 30.0},
                     "0 of 4 done | 2 running | 0 failed | --:--:-- left"},
        // Four runs left at 10 s each over two jobs, less the 6 s the running ones have done.
        ProgressCase{"SpreadOverTheJobs",
                     {6, 2, 0, 0, 2, 2, 20.0, 6.0},
                     "2 of 6 done | 2 running | 0 failed | 00:00:17 left"},
        // A failed run took time too; runs complete from before count as done but took none.
        ProgressCase{"SkippedAndFailed",
                     {8, 1, 3, 1, 1, 4, 40.0, 5.0},
                     "4 of 8 done | 1 running | 1 failed | 00:00:18 left"},
        // One run left goes on one core however many jobs there are.
        ProgressCase{"OneRunLeft",
                     {3, 2, 0, 0, 1, 8, 7450.0, 0.0},
                     "2 of 3 done | 1 running | 0 failed | 01:02:05 left"},
        // A run that goes on longer than the mean leaves no negative time.
        ProgressCase{"LongerThanTheMean",
                     {2, 1, 0, 0, 1, 2, 10.0, 25.0},
                     "1 of 2 done | 1 running | 0 failed | 00:00:00 left"},
        ProgressCase{"AllDone",
                     {2, 2, 0, 0, 0, 2, 10.0, 0.0},
                     "2 of 2 done | 0 running | 0 failed | 00:00:00 left"}),
    [](const testing::TestParamInfo<ProgressCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace tarlo::test
