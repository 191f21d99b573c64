#include "CliSupport.h"

#include "bridges/CBridge.h"
#include "detectors/CStatDetector.h"
#include "detectors/DetectorCodes.h"
#include "project/CTarloDoc.h"
#include "project/settings/CSettings.h"
#include "support/RecordingHost.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace tarlo::test {
namespace {

// A project that writes one file of each writer family: the flow and density detector of
// every new project (FD_All_Pos_1000.csv), an output detector (Veh_All_Pos_1500.txt) and a
// bridge's block maxima (Br_1_BMax_500-1000.csv), over generated CASTOR traffic.
class RunOutcome : public testing::Test {
protected:
    void makeProject(const std::string& hours, bool timeHistory = false) {
        const CliResult generated =
            runTarlo(dir, "traffic generate '" + dir.file("traffic.cas") +
                              "' --format castor --flow 800 --seed 4 --hours " + hours);
        ASSERT_EQ(generated.exitCode, 0) << generated.err;
        CSettings settings;
        RecordingHost host;
        CTarloDoc doc(settings, host);
        doc.newProject();
        doc.m_FileIn = "traffic.cas";
        doc.m_NoLanesDirPos = doc.m_TrafFileNoLanesDirPos = 2;
        doc.m_NoLanesDirNeg = doc.m_TrafFileNoLanesDirNeg = 1;
        doc.updateLaneTotals();
        doc.addDetector(DETECTOR_OUTPUT).setParamA(1500);
        CEventManager& outputs = doc.addBridge().EventManager();
        outputs.setBlockMaxSize(600.0);
        outputs.setAll(timeHistory);
        ASSERT_TRUE(doc.save(project));
    }

    // One vehicle more, five years after the last: the run goes on stepping an empty road
    // long after the traffic, far longer than the test waits.
    void appendLateVehicle() {
        const std::string traffic = dir.file("traffic.cas");
        const std::string bytes = readFile(traffic);
        const std::size_t start = bytes.rfind('\n', bytes.size() - 2) + 1;
        std::string late = bytes.substr(start);
        late.replace(8, 2, " 5");
        std::ofstream(traffic, std::ios::binary | std::ios::app) << late;
    }

    CliResult runInto(const std::string& folder) {
        return runTarlo(dir, "run '" + project + "' --seed 2 --quiet --metrics '" + folder + "'");
    }

    TempDir dir;
    const std::string project = dir.file("p.tlp");
};

// Writers never stop a run, but the run learns of every file that lost output: one that
// could not be created (a folder is in the way) and one on a full disk (/dev/full takes
// the open and fails the writes).
TEST_F(RunOutcome, WriteFailuresAreListedAndExitFour) {
    makeProject("0.2");
    const CliResult clean = runInto(dir.file("clean"));
    ASSERT_EQ(clean.exitCode, 0) << clean.out << clean.err;
    EXPECT_EQ(reportedNumber(clean.out, "Files written"), 3);
    EXPECT_EQ(clean.out.find("not written in full"), std::string::npos) << clean.out;

    const std::string metrics = dir.file("full");
    std::filesystem::create_directory(metrics);
    const std::string full = metrics + "/FD_All_Pos_1000.csv";
    const std::string blocked = metrics + "/Veh_All_Pos_1500.txt";
    std::filesystem::create_symlink("/dev/full", full);
    std::filesystem::create_directory(blocked);

    const CliResult ran = runInto(metrics);
    EXPECT_EQ(ran.exitCode, 4) << ran.out << ran.err;
    EXPECT_NE(ran.out.find("| Simulation completed - duration: "), std::string::npos) << ran.out;
    EXPECT_NE(ran.out.find("| Output incomplete - files not written in full: 2"), std::string::npos)
        << ran.out;
    EXPECT_NE(ran.out.find("Files written: 1\nFiles not written in full: 2\n  " + full + "\n  " +
                           blocked + "\n"),
              std::string::npos)
        << ran.out;
    // The file that could be written is whole.
    EXPECT_EQ(readFile(metrics + "/Br_1_BMax_500-1000.csv"),
              readFile(dir.file("clean/Br_1_BMax_500-1000.csv")));
}

// A folder where no file can be made: every writer fails to open, none is counted.
TEST_F(RunOutcome, AFolderThatTakesNoFilesCountsNone) {
    makeProject("0.05");
    const std::string metrics = dir.file("m");
    std::filesystem::create_directory(metrics);
    for (const char* name :
         {"FD_All_Pos_1000.csv", "Veh_All_Pos_1500.txt", "Br_1_BMax_500-1000.csv"})
        std::filesystem::create_directory(metrics + "/" + name);
    const CliResult ran = runInto(metrics);
    EXPECT_EQ(ran.exitCode, 4) << ran.out << ran.err;
    EXPECT_EQ(reportedNumber(ran.out, "Files written"), 0);
    EXPECT_EQ(reportedNumber(ran.out, "Files not written in full"), 3);
}

// Starts `tarlo` with its standard output and error in files, as runTarlo does, and
// returns at once.
pid_t startTarlo(const TempDir& dir, const std::vector<std::string>& arguments) {
    std::vector<std::string> words{TARLO_CLI_BINARY};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    std::vector<std::string> variables{"XDG_CONFIG_HOME=" + dir.file("config")};
    for (char** variable = environ; *variable; ++variable)
        if (!std::string(*variable).starts_with("XDG_CONFIG_HOME="))
            variables.emplace_back(*variable);
    std::vector<char*> envp;
    for (std::string& variable : variables)
        envp.push_back(variable.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    const std::string out = dir.file("stdout.txt");
    const std::string err = dir.file("stderr.txt");
    posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, out.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&files, STDERR_FILENO, err.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, argv[0], &files, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&files);
    return spawned == 0 ? pid : -1;
}

// Waits until the text appears in the file, for at most a minute.
bool awaitText(const std::string& file, const std::string& text) {
    for (int i = 0; i < 6000; ++i) {
        if (readFile(file).find(text) != std::string::npos)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

// Ctrl-C stops a run as the Stop command does: nothing already computed is lost. Every
// file ends on a whole row, and the output traffic file reads back record by record.
TEST_F(RunOutcome, AnInterruptedRunWritesWhatItHolds) {
    makeProject("4");
    appendLateVehicle();
    const std::string metrics = dir.file("m");
    const pid_t pid = startTarlo(dir, {"run", project, "--seed", "2", "--metrics", metrics});
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(awaitText(dir.file("stdout.txt"), "| Simulation running..."));
    // Well into the traffic, which a first step of the worker has started on.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_EQ(::kill(pid, SIGINT), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 130);

    const std::string out = readFile(dir.file("stdout.txt"));
    EXPECT_NE(out.find("| Simulation stopped by the user at "), std::string::npos) << out;
    EXPECT_EQ(out.find("Simulation completed"), std::string::npos) << out;
    EXPECT_EQ(reportedNumber(out, "Files written"), 3) << out;
    for (const auto& entry : std::filesystem::directory_iterator(metrics)) {
        const std::string bytes = readFile(entry.path().string());
        EXPECT_TRUE(bytes.ends_with("\r\n")) << entry.path();
    }

    const std::string vehicles = metrics + "/Veh_All_Pos_1500.txt";
    const CliResult info = runTarlo(dir, "traffic info '" + vehicles + "' --format castor");
    ASSERT_EQ(info.exitCode, 0) << info.err;
    EXPECT_GT(reportedNumber(info.out, "Vehicles read"), 0) << info.out;
    EXPECT_EQ(reportedNumber(info.out, "Lines skipped"), 0) << info.out;
}

// The bridge's rows wait in its buffer while the run goes on; Ctrl-C writes them out. The
// time history, which has a row for every step with traffic on the bridge, reaches the step
// at which the run stopped.
TEST_F(RunOutcome, AnInterruptedRunWritesTheBridgeRowsItBuffered) {
    makeProject("24", true);
    const std::string metrics = dir.file("m");
    const pid_t pid = startTarlo(dir, {"run", project, "--seed", "2", "--metrics", metrics});
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(awaitText(dir.file("stdout.txt"), "| Simulation running..."));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_EQ(::kill(pid, SIGINT), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    ASSERT_EQ(WEXITSTATUS(status), 130);

    const std::string out = readFile(dir.file("stdout.txt"));
    const std::string said = "| Simulation stopped by the user at ";
    const std::size_t at = out.find(said);
    ASSERT_NE(at, std::string::npos) << out;
    const double stoppedAt = std::stod(out.substr(at + said.size()));

    const std::string history = readFile(metrics + "/Br_1_All_500-1000.csv");
    ASSERT_TRUE(history.ends_with("\r\n"));
    const std::size_t lastRow = history.rfind('\n', history.size() - 3) + 1;
    const double lastTime = std::stod(history.substr(lastRow));
    EXPECT_LE(lastTime, stoppedAt);
    EXPECT_GE(lastTime, stoppedAt - 1.0) << history.substr(lastRow);
}

// Starts `tarlo` with its standard error on a new pseudo-terminal, whose other side it
// returns in `terminal`, and its standard output in a file, as startTarlo does.
pid_t startTarloOnTerminal(const TempDir& dir, const std::vector<std::string>& arguments,
                           int& terminal) {
    std::vector<std::string> words{TARLO_CLI_BINARY};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    const std::string config = dir.file("config");
    const std::string out = dir.file("stdout.txt");
    const pid_t pid = ::forkpty(&terminal, nullptr, nullptr, nullptr);
    if (pid == 0) {
        const int file = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(file, STDOUT_FILENO);
        ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return pid;
}

// Reads what the terminal shows until the text appears (true) or the terminal closes, for
// at most a minute.
bool readTerminalUntil(int terminal, std::string& shown, const std::string& text) {
    for (int i = 0; i < 600; ++i) {
        if (!text.empty() && shown.find(text) != std::string::npos)
            return true;
        pollfd ready{terminal, POLLIN, 0};
        if (::poll(&ready, 1, 100) <= 0)
            continue;
        char bytes[4096];
        const ssize_t n = ::read(terminal, bytes, sizeof bytes);
        // Once the program has ended the terminal reads as closed (EIO).
        if (n <= 0)
            return false;
        shown.append(bytes, static_cast<std::size_t>(n));
    }
    return false;
}

// On a terminal the run shows its progress on one line of standard error, redrawn in
// place, and erases it when the run ends; an interrupted run still gives its results.
TEST_F(RunOutcome, ATerminalShowsTheProgressUntilTheRunEnds) {
    makeProject("4");
    appendLateVehicle();
    int terminal = -1;
    const pid_t pid = startTarloOnTerminal(
        dir, {"run", project, "--seed", "2", "--metrics", dir.file("m")}, terminal);
    ASSERT_GT(pid, 0);
    std::string shown;
    // A line with a speed-up comes once some wall-clock time has been measured.
    ASSERT_TRUE(readTerminalUntil(terminal, shown, "x real time | ")) << shown;
    ASSERT_EQ(::kill(pid, SIGINT), 0);
    readTerminalUntil(terminal, shown, "");
    ::close(terminal);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 130);

    // Every line starts over at the line start and clears what the last one left.
    EXPECT_TRUE(shown.starts_with("\r")) << shown;
    EXPECT_NE(shown.find("% read | "), std::string::npos) << shown;
    EXPECT_NE(shown.find(" on the road | t = "), std::string::npos) << shown;
    EXPECT_EQ(shown.find('\n'), std::string::npos) << shown;
    EXPECT_TRUE(shown.ends_with("\r\033[K")) << shown;

    const std::string out = readFile(dir.file("stdout.txt"));
    EXPECT_NE(out.find("\nBridge 1: New Bridge No. 1 (500-1000 m)\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Output Vehicles  Veh_All_Pos_1500.txt\n"), std::string::npos) << out;
}

} // namespace
} // namespace tarlo::test
