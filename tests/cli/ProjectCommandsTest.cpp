#include "CliSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace tarlo::test {
namespace {

// The text after "label: " on its own line of the output, or "" when there is none.
std::string reportedText(const std::string& output, const std::string& label) {
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind(label + ": ", 0) == 0)
            return line.substr(label.size() + 2);
    return "";
}

std::map<std::string, std::string> folderContents(const std::filesystem::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        files[entry.path().filename().string()] = readFile(entry.path().string());
    return files;
}

// A project beside a small generated CASTOR traffic file of 2 + 1 lanes.
class ProjectCommands : public testing::Test {
protected:
    void SetUp() override {
        const CliResult generated =
            runTarlo(dir, "traffic generate '" + dir.file("traffic.cas") +
                              "' --format castor --hours 0.1 --flow 600 --lanes-pos 2 "
                              "--lanes-neg 1 --seed 3");
        ASSERT_EQ(generated.exitCode, 0) << generated.err;
    }

    // A new project reading the traffic file by its name relative to the project.
    CliResult newProject(const std::string& extra = "--lanes-pos 2 --lanes-neg 1") {
        return runTarlo(dir,
                        "new '" + project + "' --traffic traffic.cas --format castor " + extra);
    }

    CliResult runProject(const std::string& options) {
        return runTarlo(dir, "run '" + project + "' " + options);
    }

    TempDir dir;
    const std::string project = dir.file("demo.tlp");
};

TEST_F(ProjectCommands, NewValidateRunEndToEnd) {
    const CliResult created = newProject();
    ASSERT_EQ(created.exitCode, 0) << created.err;
    ASSERT_TRUE(std::filesystem::is_regular_file(project));

    const CliResult validated = runTarlo(dir, "validate '" + project + "'");
    EXPECT_EQ(validated.exitCode, 0) << validated.out;
    EXPECT_NE(validated.out.find("demo.tlp| Overall| Validation succesful!"), std::string::npos)
        << validated.out;

    const std::string metrics = dir.file("metrics");
    const CliResult ran = runProject("--seed 5 --metrics '" + metrics + "' --quiet");
    ASSERT_EQ(ran.exitCode, 0) << ran.out << ran.err;
    EXPECT_NE(ran.out.find("demo.tlp| Random seed: 5"), std::string::npos) << ran.out;
    EXPECT_NE(ran.out.find("demo.tlp| Simulation completed - duration: "), std::string::npos)
        << ran.out;
    EXPECT_EQ(ran.out.find("initialization failed"), std::string::npos) << ran.out;
    EXPECT_EQ(reportedText(ran.out, "Metrics folder"), metrics + "/");
    const auto files = folderContents(metrics);
    EXPECT_GT(files.size(), 0u);
    EXPECT_EQ(reportedNumber(ran.out, "Files written"), static_cast<long long>(files.size()));
}

TEST_F(ProjectCommands, NewRefusesToReplaceAProject) {
    ASSERT_EQ(newProject().exitCode, 0);
    const std::string before = readFile(project);
    const CliResult again = runTarlo(dir, "new '" + project + "'");
    EXPECT_EQ(again.exitCode, 3);
    EXPECT_EQ(readFile(project), before);
}

TEST_F(ProjectCommands, SameSeedGivesIdenticalOutputFiles) {
    ASSERT_EQ(newProject().exitCode, 0);
    std::vector<std::map<std::string, std::string>> outputs;
    for (const char* folder : {"first", "second"}) {
        const CliResult ran = runProject("--seed 11 --quiet --metrics '" + dir.file(folder) + "'");
        ASSERT_EQ(ran.exitCode, 0) << ran.out << ran.err;
        outputs.push_back(folderContents(dir.file(folder)));
    }
    ASSERT_FALSE(outputs[0].empty());
    EXPECT_EQ(outputs[0], outputs[1]);
}

TEST_F(ProjectCommands, MutedDetectorsWriteNoFiles) {
    ASSERT_EQ(newProject().exitCode, 0);
    const CliResult ran =
        runProject("--seed 1 --mute-detectors --mute-bridges --metrics '" + dir.file("m") + "'");
    ASSERT_EQ(ran.exitCode, 0) << ran.out << ran.err;
    EXPECT_EQ(reportedNumber(ran.out, "Files written"), 0);
}

TEST_F(ProjectCommands, InvalidProjectIsRefused) {
    const CliResult created =
        runTarlo(dir, "new '" + project + "' --traffic missing.cas --format castor");
    ASSERT_EQ(created.exitCode, 0) << created.err;

    const CliResult validated = runTarlo(dir, "validate '" + project + "'");
    EXPECT_EQ(validated.exitCode, 1);
    EXPECT_NE(validated.out.find("| Configuration| The input traffic file does not exist."),
              std::string::npos)
        << validated.out;

    const CliResult ran = runProject("--metrics '" + dir.file("m") + "'");
    EXPECT_EQ(ran.exitCode, 1);
    EXPECT_NE(ran.out.find("| Cancelling simulation"), std::string::npos) << ran.out;
    EXPECT_EQ(ran.out.find("Simulation completed"), std::string::npos) << ran.out;
}

// The default project reads one lane per direction from the traffic file; the file has a
// second lane in direction 1, so the run cannot be set up.
TEST_F(ProjectCommands, RunSetUpFailureExitsOne) {
    ASSERT_EQ(newProject("").exitCode, 0);
    const CliResult ran = runProject("--seed 1 --quiet --metrics '" + dir.file("m") + "'");
    EXPECT_EQ(ran.exitCode, 1) << ran.out << ran.err;
    EXPECT_NE(ran.out.find("| Simulation initialization failed"), std::string::npos) << ran.out;
    EXPECT_EQ(ran.out.find("Simulation completed"), std::string::npos) << ran.out;
    EXPECT_EQ(ran.out.find("Files written"), std::string::npos) << ran.out;
}

TEST_F(ProjectCommands, UnreadableProjectExitsThree) {
    std::ofstream(dir.file("broken.tlp")) << "not a project\n";
    for (const std::string verb : {"validate", "run"}) {
        for (const std::string& file : {dir.file("absent.tlp"), dir.file("broken.tlp")}) {
            const CliResult result = runTarlo(dir, verb + " '" + file + "'");
            EXPECT_EQ(result.exitCode, 3) << verb << ' ' << file << ' ' << result.err;
        }
    }
}

TEST(ProjectCommandLine, UsageErrorsExitTwo) {
    TempDir dir;
    const std::vector<std::string> lines = {
        "new",
        "validate",
        "run",
        "run a.tlp b.tlp",
        "new a.tlp --format lorry",
        "new a.tlp --lanes-pos 10",
        "new a.tlp --traffic=",
        "run a.tlp --seed minus",
        "run a.tlp --seed 4294967296",
        "run a.tlp --quiet=yes",
        "run a.tlp --quiet --quiet",
        "run a.tlp --metrics",
        "validate a.tlp --seed 1",
    };
    for (const std::string& line : lines) {
        const CliResult result = runTarlo(dir, line);
        EXPECT_EQ(result.exitCode, 2) << line;
        EXPECT_NE(result.err.find("Try 'tarlo "), std::string::npos) << line << result.err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("a.tlp")));
}

TEST(ProjectCommandLine, EveryVerbHasHelp) {
    TempDir dir;
    for (const std::string verb : {"new", "validate", "run"}) {
        for (const std::string& line : {verb + " --help", "help " + verb, verb + " x.tlp -h"}) {
            const CliResult result = runTarlo(dir, line);
            EXPECT_EQ(result.exitCode, 0) << line;
            EXPECT_EQ(result.out.rfind("Usage: tarlo " + verb + " PROJECT", 0), 0u)
                << line << result.out;
        }
    }
}

} // namespace
} // namespace tarlo::test
