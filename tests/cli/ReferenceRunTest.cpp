#include "CliSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>
#include <string>

namespace tarlo::test {
namespace {

// A few minutes of the example's traffic through a copy of the example project (road
// features, lane changing, one detector of every kind, two bridges with every output and
// thresholds that are crossed), seeded. Its files were taken from a run of the program and
// must not move: any change to the driving, the detectors or the bridges shows here.
const std::filesystem::path REFERENCE = std::filesystem::path(TARLO_TEST_DATA) / "reference";

std::set<std::string> fileNames(const std::filesystem::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

// The first line where two texts part, numbered from 1, with both versions of it.
std::string firstDifference(const std::string& expected, const std::string& actual) {
    std::istringstream a(expected), b(actual);
    std::string lineA, lineB;
    for (int number = 1;; ++number) {
        const bool moreA = static_cast<bool>(std::getline(a, lineA));
        const bool moreB = static_cast<bool>(std::getline(b, lineB));
        if (!moreA && !moreB)
            return "line ends differ";
        if (!moreA || !moreB || lineA != lineB)
            return "line " + std::to_string(number) + ": expected \"" + (moreA ? lineA : "") +
                   "\", got \"" + (moreB ? lineB : "") + "\"";
    }
}

TEST(ReferenceRun, WritesTheReferenceFilesByteForByte) {
    TempDir dir;
    const std::string metrics = dir.file("metrics");
    const CliResult run =
        runTarlo(dir, "run '" + (REFERENCE / "short.tlp").string() +
                          "' --seed 1 --quiet --no-summary --metrics '" + metrics + "'");
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;

    const std::filesystem::path expected = REFERENCE / "expected";
    ASSERT_EQ(fileNames(metrics), fileNames(expected));
    for (const std::string& name : fileNames(expected)) {
        const std::string want = readFile((expected / name).string());
        const std::string got = readFile((std::filesystem::path(metrics) / name).string());
        EXPECT_TRUE(want == got) << name << ", " << firstDifference(want, got);
    }
}

} // namespace
} // namespace tarlo::test
