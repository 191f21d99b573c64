#include "CliSupport.h"

#include "bridges/CBridge.h"
#include "detectors/CStatDetector.h"
#include "detectors/DetectorCodes.h"
#include "project/CTarloDoc.h"
#include "project/settings/CSettings.h"
#include "support/RecordingHost.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace tarlo::test {
namespace {

// A project that writes one file of each writer family: the flow and density detector of
// every new project (FD_All_Pos_1000.csv), an output detector (Veh_All_Pos_1500.txt) and a
// bridge's block maxima (Br_1_BMax_500-1000.csv), over generated CASTOR traffic.
class RunOutcome : public testing::Test {
protected:
    void makeProject(const std::string& hours) {
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
        doc.addBridge().EventManager().setBlockMaxSize(600.0);
        ASSERT_TRUE(doc.save(project));
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

} // namespace
} // namespace tarlo::test
