#include "CliSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace tarlo::test {
namespace {

// A memory ceiling far below what any hostile value here would take if it were attempted:
// a billion lanes are 8 GB of lane weights alone.
const std::string memoryCeiling = "-v 1048576";

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// AddressSanitizer and ThreadSanitizer reserve far more address space than any ceiling
// that would show a refusal.
bool sanitized() {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    return true;
#else
    return false;
#endif
}

// One value of tests/data/project/windows_rev6.tlp made hostile, and what the command says.
struct HostileValue {
    const char* name;
    const char* from;
    const char* to;
    int exitCode;
    // Printed on standard output (the validation report) or standard error (a load error).
    std::string message;
};

std::vector<HostileValue> hostileValues() {
    const std::string config = "hostile.tlp| Configuration| ";
    const std::string load = "Problem loading file.\nBoost reports: invalid list length - ";
    return {
        {"a billion lanes in direction 1", "<m_NoLanesDirPos>2<", "<m_NoLanesDirPos>1000000000<", 1,
         config + "Too many lanes in positive direction: 1000000000 (at most 99)."},
        {"a billion lanes in direction 2", "<m_NoLanesDirNeg>1<", "<m_NoLanesDirNeg>1000000000<", 1,
         config + "Too many lanes in negative direction: 1000000000 (at most 99)."},
        // The stored total is only derived: it is repaired from the directions' lanes.
        {"a billion lanes in all", "<m_NoLanes>3<", "<m_NoLanes>1000000000<", 1,
         config + "Fixed road lane numbers inconsistency - check and save file."},
        {"a billion traffic file lanes", "<m_TrafFileNoLanesDirPos>2<",
         "<m_TrafFileNoLanesDirPos>1000000000<", 1,
         config + "Too many lanes in traffic file for positive direction: 1000000000 (at most "
                  "99)."},
        {"a road of two million kilometres", "<m_RoadLength>2500<", "<m_RoadLength>2000000000<", 1,
         config + "Road too long: 2000000000 m (at most 1000000 m)."},
        {"four billion bridge sub-steps", "<m_StepsPerSimStep>1<", "<m_StepsPerSimStep>4000000000<",
         1, "| Too many simulation substeps: 4000000000 (at most 1000)."},
        {"a billion detectors", "<count>1<", "<count>1000000000<", 3,
         load + "count 1000000000 of <m_vStatDetectors> beyond the most of 10000000"},
        {"a million points where three follow", "<count>3<", "<count>1000000<", 3,
         load + "<m_Data> holds 3 of the 1000000 items its count announces"},
    };
}

std::string withValue(std::string text, const HostileValue& value) {
    const std::size_t at = text.find(value.from);
    EXPECT_NE(at, std::string::npos) << value.name;
    if (at != std::string::npos)
        text.replace(at, std::string(value.from).size(), value.to);
    return text;
}

// Each value is refused, with its message and exit code, by validate and by run alike; the
// program is never ended by a signal and never reaches the memory ceiling.
TEST(HostileValues, EachIsRefusedUnderAMemoryCeiling) {
    if (sanitized())
        GTEST_SKIP() << "a sanitizer's address space exceeds the memory ceiling";
    TempDir dir;
    const std::string good = readFile(std::string(TARLO_TEST_DATA) + "/project/windows_rev6.tlp");
    const std::string path = dir.file("hostile.tlp");
    for (const HostileValue& value : hostileValues()) {
        SCOPED_TRACE(value.name);
        std::ofstream(path, std::ios::binary) << withValue(good, value);
        for (const std::string command : {"validate", "run"}) {
            SCOPED_TRACE(command);
            const CliResult result =
                runTarloLimited(dir, memoryCeiling, command + " '" + path + "'");
            EXPECT_EQ(result.exitCode, value.exitCode) << result.out << result.err;
            EXPECT_TRUE(contains(result.out + result.err, value.message))
                << result.out << result.err;
            EXPECT_FALSE(contains(result.err, "out of memory")) << result.err;
        }
    }
}

// A bridge or load effect added to such a project would weigh every one of its lanes.
TEST(HostileValues, NoLoadEffectIsAddedForABillionLanes) {
    if (sanitized())
        GTEST_SKIP() << "a sanitizer's address space exceeds the memory ceiling";
    TempDir dir;
    const std::string good = readFile(std::string(TARLO_TEST_DATA) + "/project/windows_rev6.tlp");
    const HostileValue lanes{"a billion lanes in all", "<m_NoLanes>3<", "<m_NoLanes>1000000000<", 2,
                             ""};
    const std::string path = dir.file("hostile.tlp");
    const std::string text = withValue(good, lanes);
    std::ofstream(path, std::ios::binary) << text;
    for (const std::string& command :
         {"add bridge '" + path + "' --start 100 --end 200 --function total-load",
          "add load-effect '" + path + "' --bridge 7 --function total-load"}) {
        SCOPED_TRACE(command);
        const CliResult result = runTarloLimited(dir, memoryCeiling, command);
        EXPECT_EQ(result.exitCode, 2) << result.err;
        EXPECT_TRUE(contains(result.err, "tarlo: the project's road has 1000000000 lanes, more "
                                         "than the 198 a load effect may weigh"))
            << result.err;
        EXPECT_EQ(readFile(path), text);
    }
}

// An allocation the memory ceiling refuses ends the command with its message and exit 3: a
// description of 64 million characters needs more than the ceiling to be read.
TEST(HostileValues, RunningOutOfMemoryExitsThreeSayingWhatWasDone) {
    if (sanitized())
        GTEST_SKIP() << "a sanitizer's address space exceeds the memory ceiling";
    TempDir dir;
    std::string text = readFile(std::string(TARLO_TEST_DATA) + "/project/windows_rev6.tlp");
    const std::string name = "<value>Headway at 500</value>";
    text.replace(text.find(name), name.size(),
                 "<value>" + std::string(64u << 20, 'x') + "</value>");
    const std::string path = dir.file("large.tlp");
    std::ofstream(path, std::ios::binary) << text;
    const CliResult result = runTarloLimited(dir, "-v 262144", "validate '" + path + "'");
    EXPECT_EQ(result.exitCode, 3) << result.err;
    EXPECT_EQ(result.err, "tarlo: out of memory while loading " + path + "\n");
}

} // namespace
} // namespace tarlo::test
