#include "cli/CliSupport.h"

#include "batch/Study.h"

#include <gtest/gtest.h>

#include <ostream>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

namespace tarlo::test {
namespace {

using batch::readStudy;
using batch::StudyReading;

// A folder with a project, two traffic files and a study file written by each test. The
// project's own traffic file is given by `projectTraffic`, not read from the project.
class StudyFile : public testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(dir.path() / "traffic");
        for (const char* name : {"a.tlp", "traffic/jan.cas", "traffic/feb.cas"})
            std::ofstream(dir.file(name)) << "x";
    }

    StudyReading read(const std::string& text) {
        std::ofstream(study) << text;
        return readStudy(study, [this](const std::string&) { return projectTraffic; });
    }

    TempDir dir;
    const std::string study = dir.file("study.toml");
    std::optional<std::string> projectTraffic = "C:\\Data\\mar.cas";
};

struct Refusal {
    const char* name;
    const char* text;
    int line; // 0: the file as a whole
    const char* message;
};

void PrintTo(const Refusal& c, std::ostream* os) {
    *os << c.name;
}

class StudyRefusal : public StudyFile, public testing::WithParamInterface<Refusal> {};

// Each fault is named with its line, and no run is planned.
TEST_P(StudyRefusal, NamesTheFileAndLine) {
    const Refusal& refusal = GetParam();
    const StudyReading reading = read(refusal.text);
    EXPECT_FALSE(reading.study);
    const std::string expected =
        study + (refusal.line ? ":" + std::to_string(refusal.line) : "") + ": " + refusal.message;
    EXPECT_NE(std::find(reading.errors.begin(), reading.errors.end(), expected),
              reading.errors.end())
        << "expected: " << expected
        << "\nfound: " << (reading.errors.empty() ? "nothing" : reading.errors.front());
}

INSTANTIATE_TEST_SUITE_P(
    Faults, StudyRefusal,
    testing::Values(
        Refusal{"UnknownTopKey", "outptu = 'x'\n[[project]]\nfile = 'a.tlp'\nseeds = [1]\n", 1,
                "unknown key 'outptu'"},
        Refusal{"UnknownProjectKey", "[[project]]\nfile = 'a.tlp'\nseeds = [1]\nsed = 2\n", 4,
                "unknown key 'sed'"},
        Refusal{"MissingProject", "[[project]]\nfile = 'b.tlp'\nseeds = [1]\n", 2,
                "project 'b.tlp' not found"},
        Refusal{"ProjectWithoutFile", "output = 'o'\n[[project]]\nseeds = [1]\n", 2,
                "the project needs a 'file'"},
        Refusal{"ProjectWithoutSeeds", "[[project]]\nfile = 'a.tlp'\n", 1,
                "the project needs 'seeds'"},
        Refusal{"ReversedRange", "[[project]]\nfile = 'a.tlp'\nseeds = { first = 5, last = 2 }\n",
                3, "the seed range 5 to 2 is empty"},
        Refusal{"RangeWithoutLast", "[[project]]\nfile = 'a.tlp'\nseeds = { first = 5 }\n", 3,
                "a seed range needs 'first' and 'last'"},
        Refusal{"HugeRange",
                "[[project]]\nfile = 'a.tlp'\nseeds = { first = 0, last = 4294967295 }\n", 3,
                "the seed range 0 to 4294967295 holds more than 100000 seeds"},
        Refusal{"UnknownRangeKey",
                "[[project]]\nfile = 'a.tlp'\nseeds = { first = 1, last = 2, step = 1 }\n", 3,
                "unknown key 'step'"},
        Refusal{"NegativeSeed", "[[project]]\nfile = 'a.tlp'\nseeds = [\n  1,\n  -2,\n]\n", 5,
                "a seed must be a whole number from 0 to 4294967295"},
        Refusal{"SeedTooLarge", "[[project]]\nfile = 'a.tlp'\nseeds = [4294967296]\n", 3,
                "a seed must be a whole number from 0 to 4294967295"},
        Refusal{"SeedAsText", "[[project]]\nfile = 'a.tlp'\nseeds = ['1']\n", 3,
                "a seed must be a whole number from 0 to 4294967295"},
        Refusal{"SeedTwice", "[[project]]\nfile = 'a.tlp'\nseeds = [3, 3]\n", 3,
                "seed 3 listed twice"},
        Refusal{"NoSeed", "[[project]]\nfile = 'a.tlp'\nseeds = []\n", 3, "'seeds' lists no seed"},
        Refusal{"GlobMatchingNothing",
                "[[project]]\nfile = 'a.tlp'\nseeds = [1]\ntraffic = 'traffic/*.saft'\n", 4,
                "'traffic/*.saft' matches no file"},
        Refusal{"MissingTrafficFile",
                "[[project]]\nfile = 'a.tlp'\nseeds = [1]\ntraffic = ['traffic/jan.cas',\n"
                "  'traffic/apr.cas']\n",
                5, "traffic file 'traffic/apr.cas' not found"},
        Refusal{"NoProject", "output = 'o'\n", 0, "no [[project]] listed"}),
    [](const testing::TestParamInfo<Refusal>& info) { return std::string(info.param.name); });

TEST_F(StudyFile, TwoRunsInOneFolderAreRefused) {
    const StudyReading reading = read("[[project]]\nfile = 'a.tlp'\nseeds = [1]\n"
                                      "[[project]]\nfile = './a.tlp'\nseeds = [2, 1]\n");
    ASSERT_EQ(reading.errors.size(), 1u);
    EXPECT_EQ(reading.errors[0], study +
                                     ":4: the run of 'C:\\Data\\mar.cas' with seed 1 writes to " +
                                     dir.file("study/a/mar/seed-1/") + ", as a run of line 1 does");
}

TEST_F(StudyFile, ASyntaxErrorIsReportedWithItsLine) {
    const StudyReading reading = read("[[project]]\nfile = 'a.tlp'\nseeds = [1,\n");
    ASSERT_EQ(reading.errors.size(), 1u);
    EXPECT_TRUE(reading.errors[0].starts_with(study + ":3: ")) << reading.errors[0];
}

TEST_F(StudyFile, AProjectThatCannotBeReadIsRefused) {
    projectTraffic.reset();
    const StudyReading reading = read("[[project]]\nfile = 'a.tlp'\nseeds = [1]\n");
    ASSERT_EQ(reading.errors.size(), 1u);
    EXPECT_EQ(reading.errors[0], study + ":1: project 'a.tlp' cannot be read");
}

TEST_F(StudyFile, EveryFaultIsReportedNotOnlyTheFirst) {
    const StudyReading reading =
        read("oops = 1\n[[project]]\nfile = 'a.tlp'\nseeds = [-1]\ntraffic = 'none/*'\n");
    EXPECT_EQ(reading.errors.size(), 3u);
}

// Projects in file order, then their traffic files (a glob sorted), then their seeds; each
// run in OUT/<project>/<traffic>/seed-<n>/.
TEST_F(StudyFile, PlansEveryRunInItsOwnFolder) {
    const StudyReading reading = read("[[project]]\n"
                                      "file = 'a.tlp'\n"
                                      "traffic = 'traffic/*.cas'\n"
                                      "seeds = { first = 1, last = 2 }\n"
                                      "[[project]]\n"
                                      "file = 'a.tlp'\n"
                                      "seeds = [7]\n");
    ASSERT_TRUE(reading.study) << reading.errors.front();
    const batch::Study& plan = *reading.study;
    const std::string out = dir.file("study") + "/";
    EXPECT_EQ(plan.output, out);
    std::vector<std::string> folders;
    for (const batch::RunSpec& run : plan.runs)
        folders.push_back(run.folder.substr(out.size()) + " " + run.trafficName + " " +
                          std::to_string(run.seed));
    EXPECT_EQ(folders, (std::vector<std::string>{
                           "a/feb/seed-1/ traffic/feb.cas 1", "a/feb/seed-2/ traffic/feb.cas 2",
                           "a/jan/seed-1/ traffic/jan.cas 1", "a/jan/seed-2/ traffic/jan.cas 2",
                           "a/mar/seed-7/ C:\\Data\\mar.cas 7"}));
    EXPECT_EQ(plan.runs[0].traffic, dir.file("traffic/feb.cas"));
    EXPECT_EQ(plan.runs[0].project, dir.file("a.tlp"));
    EXPECT_EQ(plan.runs[0].projectName, "a.tlp");
    // The project's own traffic file is not overridden.
    EXPECT_EQ(plan.runs[4].traffic, "");
}

TEST_F(StudyFile, TheOutputFolderIsRelativeToTheStudy) {
    const StudyReading reading = read("output = 'runs/first'\n[[project]]\nfile = 'a.tlp'\n"
                                      "seeds = [1]\n");
    ASSERT_TRUE(reading.study) << reading.errors.front();
    EXPECT_EQ(reading.study->output, dir.file("runs/first") + "/");
}

} // namespace
} // namespace tarlo::test
