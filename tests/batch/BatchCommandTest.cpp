#include "cli/CliSupport.h"

#include <gtest/gtest.h>

#include <ostream>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace tarlo::test {
namespace {

namespace fs = std::filesystem;

// Every file below a folder with its bytes, by path within it; run.log holds the wall-clock
// times of its run and is left out.
std::map<std::string, std::string> folderContents(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file() && entry.path().filename() != "run.log")
            files[entry.path().lexically_relative(folder).string()] =
                readFile(entry.path().string());
    return files;
}

std::vector<std::string> csvRows(const std::string& text) {
    std::vector<std::string> rows;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        EXPECT_TRUE(line.ends_with('\r')) << "not a CR LF line: " << line;
        line.pop_back();
        rows.push_back(line);
    }
    return rows;
}

// A project with one bridge over two short traffic files, and a study of it with two
// seeds per file: four runs of a second or so.
class Batch : public testing::Test {
protected:
    void SetUp() override {
        tarlo("traffic generate '" + dir.file("jan.cas") +
              "' --format castor --hours 0.05 --seed 1");
        tarlo("traffic generate '" + dir.file("feb.cas") +
              "' --format castor --hours 0.05 --seed 2");
        tarlo("new '" + project +
              "' --traffic jan.cas --format castor --lanes-pos 2 --lanes-neg 1");
        tarlo("add bridge '" + project +
              "' --start 500 --end 540 --function mid-span-moment --block-max 60 "
              "--effect-description Total");
        writeStudy("output = 'out'\n"
                   "[[project]]\n"
                   "file = 'span.tlp'\n"
                   "traffic = '*.cas'\n"
                   "seeds = [1, 2]\n");
    }

    void tarlo(const std::string& arguments) {
        const CliResult result = runTarlo(dir, arguments);
        ASSERT_EQ(result.exitCode, 0) << arguments << "\n" << result.out << result.err;
    }

    void writeStudy(const std::string& text) { std::ofstream(study) << text; }

    CliResult batch(const std::string& options = "--jobs 2") {
        return runTarlo(dir, "batch '" + study + "' " + options);
    }

    std::string runFolder(const std::string& traffic, int seed) const {
        return dir.file("out/span/" + traffic + "/seed-" + std::to_string(seed));
    }

    TempDir dir;
    const std::string project = dir.file("span.tlp");
    const std::string study = dir.file("study.toml");
};

TEST_F(Batch, TwoBatchesOfAStudyGiveIdenticalFolders) {
    const CliResult first = batch();
    ASSERT_EQ(first.exitCode, 0) << first.out << first.err;
    const auto firstFiles = folderContents(dir.file("out"));
    for (const char* traffic : {"jan", "feb"})
        for (int seed : {1, 2}) {
            const std::string folder = runFolder(traffic, seed);
            EXPECT_TRUE(fs::exists(folder + "/run.complete")) << folder;
            EXPECT_TRUE(fs::exists(folder + "/Br_1_BMax_500-540.csv")) << folder;
            EXPECT_NE(readFile(folder + "/run.log").find("Simulation completed"),
                      std::string::npos);
        }
    const CliResult second = batch("--jobs 1");
    ASSERT_EQ(second.exitCode, 0) << second.out << second.err;
    EXPECT_EQ(folderContents(dir.file("out")), firstFiles);
    // The seed makes the run: two seeds give two outputs.
    EXPECT_NE(readFile(runFolder("jan", 1) + "/Br_1_BMax_500-540.csv"),
              readFile(runFolder("jan", 2) + "/Br_1_BMax_500-540.csv"));
}

// The gathered rows carry the figures of the run's own table: the same run made by hand,
// with the traffic file given on the command line, prints them.
TEST_F(Batch, ResultsHoldTheFiguresOfTheRunsOwnTable) {
    ASSERT_EQ(batch().exitCode, 0);
    const std::string projectBytes = readFile(project);
    const CliResult alone =
        runTarlo(dir, "run '" + project + "' --seed 2 --quiet --traffic '" + dir.file("feb.cas") +
                          "' --metrics '" + dir.file("alone") + "'");
    ASSERT_EQ(alone.exitCode, 0) << alone.err;
    EXPECT_EQ(readFile(project), projectBytes);
    EXPECT_EQ(readFile(dir.file("alone/Br_1_BMax_500-540.csv")),
              readFile(runFolder("feb", 2) + "/Br_1_BMax_500-540.csv"));

    const std::size_t at = alone.out.find("  Total ");
    ASSERT_NE(at, std::string::npos) << alone.out;
    std::istringstream row(alone.out.substr(at, alone.out.find('\n', at) - at));
    std::string name, largest, largestTime, smallest, smallestTime, blockMaxima;
    row >> name >> largest >> largestTime >> smallest >> smallestTime >> blockMaxima;

    const std::vector<std::string> rows = csvRows(readFile(dir.file("out/results.csv")));
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0], "Project,Traffic file,Seed,Status,Bridge,Load effect,Maximum,"
                       "Time of maximum (s),Minimum,Time of minimum (s),Block maxima");
    EXPECT_EQ(rows[1].substr(0, rows[1].find(",1,Total")), "span.tlp,feb.cas,1,completed");
    EXPECT_EQ(rows[2], "span.tlp,feb.cas,2,completed,1,Total," + largest + "," + largestTime + "," +
                           smallest + "," + smallestTime + "," + blockMaxima);
    EXPECT_TRUE(rows[3].starts_with("span.tlp,jan.cas,1,completed,1,Total,")) << rows[3];
    EXPECT_TRUE(rows[4].starts_with("span.tlp,jan.cas,2,completed,1,Total,")) << rows[4];
}

// A run killed part way leaves no completion marker; --resume runs it again in an emptied
// folder and leaves the complete ones alone.
TEST_F(Batch, ResumeRunsAgainOnlyTheRunsNotComplete) {
    ASSERT_EQ(batch().exitCode, 0);
    const std::string killed = runFolder("jan", 2);
    const std::string complete = readFile(killed + "/Br_1_BMax_500-540.csv");
    fs::remove(killed + "/run.complete");
    std::ofstream(killed + "/Br_1_BMax_500-540.csv", std::ios::trunc) << "Time,Va";
    std::ofstream(killed + "/leftover.tmp") << "partial";
    // Were a complete run started again, its folder would be emptied.
    for (const char* traffic : {"jan", "feb"})
        for (int seed : {1, 2})
            std::ofstream(runFolder(traffic, seed) + "/untouched") << "x";

    const CliResult resumed = batch("--resume");
    ASSERT_EQ(resumed.exitCode, 0) << resumed.out << resumed.err;
    EXPECT_NE(resumed.out.find("Skipped (complete before): 3"), std::string::npos) << resumed.out;
    EXPECT_TRUE(fs::exists(killed + "/run.complete"));
    EXPECT_EQ(readFile(killed + "/Br_1_BMax_500-540.csv"), complete);
    EXPECT_FALSE(fs::exists(killed + "/leftover.tmp"));
    EXPECT_FALSE(fs::exists(killed + "/untouched"));
    EXPECT_TRUE(fs::exists(runFolder("jan", 1) + "/untouched"));
    EXPECT_TRUE(fs::exists(runFolder("feb", 1) + "/untouched"));
    EXPECT_TRUE(fs::exists(runFolder("feb", 2) + "/untouched"));
}

// A traffic file with more lanes than the project reads fails its runs' set-up; the other
// runs go on, and the batch says so in its exit code and its results.
TEST_F(Batch, AFailedRunIsReportedAndTheOthersGoOn) {
    tarlo("traffic generate '" + dir.file("wide.txt") +
          "' --format castor --hours 0.02 --lanes-pos 3 --seed 3");
    writeStudy("output = 'out'\n[[project]]\nfile = 'span.tlp'\n"
               "traffic = ['wide.txt', 'jan.cas']\nseeds = [1]\n");
    const CliResult ran = batch();
    EXPECT_EQ(ran.exitCode, 5) << ran.out << ran.err;
    EXPECT_NE(ran.err.find("run failed (exit 1, see " + dir.file("out/span/wide/seed-1/") +
                           "run.log): span.tlp, wide.txt, seed 1"),
              std::string::npos)
        << ran.err;
    EXPECT_EQ(readFile(dir.file("out/span/wide/seed-1/run.failed")), "exit 1\r\n");
    EXPECT_FALSE(fs::exists(dir.file("out/span/wide/seed-1/run.complete")));
    EXPECT_TRUE(fs::exists(runFolder("jan", 1) + "/run.complete"));
    const std::vector<std::string> rows = csvRows(readFile(dir.file("out/results.csv")));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1], "span.tlp,wide.txt,1,failed (exit 1),,,,,,,");
    EXPECT_TRUE(rows[2].starts_with("span.tlp,jan.cas,1,completed,1,Total,")) << rows[2];
}

// The process whose command line holds the text, or nothing.
std::optional<pid_t> processWith(const std::string& text) {
    for (const fs::directory_entry& entry : fs::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::string commandLine = readFile(entry.path().string() + "/cmdline");
        for (char& c : commandLine)
            if (c == '\0')
                c = ' ';
        if (commandLine.find(text) != std::string::npos)
            return std::stoi(name);
    }
    return std::nullopt;
}

// A run killed part way (SIGKILL: it writes nothing more) is a failed run; the batch goes
// on, and --resume runs it again while the complete run is left as it was.
TEST_F(Batch, AKilledRunIsRunAgainByResume) {
    // A vehicle five years after the others keeps the run of jan.cas stepping an empty road
    // far longer than the test waits.
    const std::string jan = readFile(dir.file("jan.cas"));
    std::string late = jan.substr(jan.rfind('\n', jan.size() - 2) + 1);
    late.replace(8, 2, " 5");
    std::ofstream(dir.file("jan.cas"), std::ios::binary | std::ios::app) << late;
    writeStudy("output = 'out'\n[[project]]\nfile = 'span.tlp'\ntraffic = '*.cas'\n"
               "seeds = [1]\n");

    const std::string command = "exec env XDG_CONFIG_HOME='" + dir.file("config") + "' '" +
                                TARLO_CLI_BINARY + "' batch '" + study + "' --jobs 1 >'" +
                                dir.file("batch.out") + "' 2>'" + dir.file("batch.err") + "'";
    std::vector<std::string> words{"/bin/sh", "-c", command};
    std::vector<char*> argv{words[0].data(), words[1].data(), words[2].data(), nullptr};
    pid_t batchPid = -1;
    ASSERT_EQ(::posix_spawn(&batchPid, argv[0], nullptr, nullptr, argv.data(), environ), 0);
    const std::string killed = runFolder("jan", 1) + "/";
    std::optional<pid_t> run;
    for (int i = 0; i < 600 && !run; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (readFile(killed + "run.log").find("Simulation running") != std::string::npos)
            run = processWith("--metrics " + killed);
    }
    ASSERT_TRUE(run) << "the run of jan.cas did not start";
    ASSERT_EQ(::kill(*run, SIGKILL), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(batchPid, &status, 0), batchPid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 5) << readFile(dir.file("batch.err"));
    EXPECT_EQ(readFile(killed + "run.failed"), "signal 9\r\n");
    ASSERT_TRUE(fs::exists(runFolder("feb", 1) + "/run.complete"));

    std::ofstream(dir.file("jan.cas"), std::ios::binary | std::ios::trunc) << jan;
    std::ofstream(runFolder("feb", 1) + "/untouched") << "x";
    const CliResult resumed = batch("--resume");
    ASSERT_EQ(resumed.exitCode, 0) << resumed.out << resumed.err;
    EXPECT_TRUE(fs::exists(killed + "run.complete"));
    EXPECT_FALSE(fs::exists(killed + "run.failed"));
    EXPECT_TRUE(fs::exists(runFolder("feb", 1) + "/untouched"));
}

struct StudyFault {
    const char* name;
    const char* study;
    const char* message;
};

void PrintTo(const StudyFault& c, std::ostream* os) {
    *os << c.name;
}

class RefusedStudy : public Batch, public testing::WithParamInterface<StudyFault> {};

// The whole study is checked before the first run: nothing is written.
TEST_P(RefusedStudy, StartsNoRun) {
    writeStudy(GetParam().study);
    const CliResult ran = batch();
    EXPECT_EQ(ran.exitCode, 1);
    EXPECT_NE(ran.err.find(study + GetParam().message), std::string::npos) << ran.err;
    EXPECT_NE(ran.err.find("tarlo: the study is refused; no run was started"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir.file("out")));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, RefusedStudy,
    testing::Values(
        StudyFault{"UnknownKey",
                   "output = 'out'\n[[project]]\nfile = 'span.tlp'\nseeds = [1]\nsed = 2\n",
                   ":5: unknown key 'sed'"},
        StudyFault{"MissingProject",
                   "output = 'out'\n[[project]]\nfile = 'spam.tlp'\nseeds = [1]\n",
                   ":3: project 'spam.tlp' not found"},
        StudyFault{"BadSeedRange",
                   "output = 'out'\n[[project]]\nfile = 'span.tlp'\n"
                   "seeds = { first = 9, last = 3 }\n",
                   ":4: the seed range 9 to 3 is empty"},
        StudyFault{"GlobMatchingNothing",
                   "output = 'out'\n[[project]]\nfile = 'span.tlp'\nseeds = [1]\n"
                   "traffic = '*.saft'\n",
                   ":5: '*.saft' matches no file"}),
    [](const testing::TestParamInfo<StudyFault>& info) { return std::string(info.param.name); });

TEST_F(Batch, OptionsThatDoNotGoTogetherAreUsageErrors) {
    for (const char* options : {"--jobs 0", "--dry-run", "--partition short", "--slurm --jobs 2",
                                "--slurm --gather", "--gather --resume"}) {
        const CliResult ran = batch(options);
        EXPECT_EQ(ran.exitCode, 2) << options;
        EXPECT_NE(ran.err.find("Try 'tarlo batch --help'."), std::string::npos) << ran.err;
    }
    EXPECT_FALSE(fs::exists(dir.file("out")));
}

// Without a cluster at hand: the job files, one array task run by hand as Slurm would run
// it, and the results gathered while the other tasks have not run.
TEST_F(Batch, AnArrayTaskRunsItsLineOfTheManifest) {
    const CliResult written = batch("--slurm --dry-run --partition short --time 0:10:00");
    ASSERT_EQ(written.exitCode, 0) << written.out << written.err;
    const std::string manifest = dir.file("out/slurm/manifest.tsv");
    const std::string script = readFile(dir.file("out/slurm/job.sbatch"));
    EXPECT_NE(script.find("#SBATCH --array=0-3\n"), std::string::npos) << script;
    EXPECT_NE(script.find("#SBATCH --partition=short\n"), std::string::npos) << script;
    EXPECT_NE(script.find("#SBATCH --time=0:10:00\n"), std::string::npos) << script;
    EXPECT_NE(script.find("' batch-task '" + manifest + "' \"$SLURM_ARRAY_TASK_ID\"\n"),
              std::string::npos)
        << script;
    EXPECT_FALSE(fs::exists(dir.file("out/span")));

    const CliResult task = runTarlo(dir, "batch-task '" + manifest + "' 1");
    ASSERT_EQ(task.exitCode, 0) << task.out << task.err;
    EXPECT_TRUE(fs::exists(runFolder("feb", 2) + "/run.complete"));
    EXPECT_EQ(runTarlo(dir, "batch-task '" + manifest + "' 4").exitCode, 3);

    const CliResult gathered = batch("--gather");
    EXPECT_EQ(gathered.exitCode, 5) << gathered.out << gathered.err;
    EXPECT_NE(gathered.out.find("Runs: 4, completed 1, failed 0, not run 3"), std::string::npos)
        << gathered.out;
    const std::vector<std::string> rows = csvRows(readFile(dir.file("out/results.csv")));
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[1], "span.tlp,feb.cas,1,not run,,,,,,,");
    EXPECT_TRUE(rows[2].starts_with("span.tlp,feb.cas,2,completed,1,Total,")) << rows[2];

    // The task's folder is the one a batch here gives the run.
    const auto byTask = folderContents(runFolder("feb", 2));
    ASSERT_EQ(batch().exitCode, 0);
    EXPECT_EQ(folderContents(runFolder("feb", 2)), byTask);
}

} // namespace
} // namespace tarlo::test
