#include "CliSupport.h"

#include "bridges/CInfLineDiscrete.h"
#include "bridges/CInfLineFunction.h"
#include "project/ProjectFile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace tarlo::test {
namespace {

// Two lines: the second has no description of its own.
const char* const IL_FILE = "2\n7,3,Span A\n0,0\n5,1\n10,0\n8,2\n0,1\n4,1\n";

int formOf(const CLoadEffect& effect) {
    const auto* function = dynamic_cast<const CInfLineFunction*>(effect.GetInfLine().get());
    return function ? function->GetForm() : 0;
}

// A new project of 2 + 1 lanes beside an influence-line file; the commands edit it.
class ProjectEditCommands : public testing::Test {
protected:
    void SetUp() override {
        const CliResult created =
            runTarlo(dir, "new '" + project + "' --lanes-pos 2 --lanes-neg 1");
        ASSERT_EQ(created.exitCode, 0) << created.err;
        std::ofstream(lines) << IL_FILE;
    }

    // Runs "tarlo VERB PROJECT REST".
    CliResult edit(const std::string& verb, const std::string& rest = "") {
        return runTarlo(dir, verb + " '" + project + "' " + rest);
    }

    ProjectFields saved() const {
        ProjectFields fields;
        EXPECT_TRUE(ProjectFile::load(fields, project).ok);
        return fields;
    }

    TempDir dir;
    const std::string project = dir.file("p.tlp");
    const std::string lines = dir.file("lines.csv");
};

struct EditCase {
    std::string verb;
    std::string rest;
    std::string printed; // the start of the line the command prints
    std::function<void(const ProjectFields&)> check;
};

TEST_F(ProjectEditCommands, EachCommandChangesTheSavedProject) {
    const std::vector<EditCase> cases = {
        {"add feature",
         "gradient --start 1500 --end 2000 --value -3 --direction negative "
         "--vehicles trucks --adherence 0.5",
         "Added road feature 2: New Feature No. 2 (Gradient -3, 1500 to 2000 m, negative",
         [](const ProjectFields& p) {
             ASSERT_EQ(p.m_vRoadFeatures.size(), 2u);
             const CRoadFeature& f = p.m_vRoadFeatures[1];
             EXPECT_EQ(f.getType(), CRoadFeature::Gradient);
             EXPECT_EQ(f.getValue(), -3.0);
             EXPECT_EQ(f.getStart(), 1500);
             EXPECT_EQ(f.getEnd(), 2000);
             EXPECT_FALSE(f.getDirPos());
             EXPECT_EQ(f.getFeatVehType(), CRoadFeature::AllTrucks);
             EXPECT_EQ(f.getAdherence(), 0.5);
         }},
        {"add feature", "obstacle",
         "Added road feature 2: New Feature No. 2 (Obstacle 1, 0 to 1000",
         [](const ProjectFields& p) {
             ASSERT_EQ(p.m_vRoadFeatures.size(), 2u);
             const CRoadFeature& f = p.m_vRoadFeatures[1];
             EXPECT_EQ(f.getValue(), 1.0); // the add command's value of the type
             EXPECT_TRUE(f.getDirPos());
             EXPECT_EQ(f.getFeatVehType(), CRoadFeature::AllVehicles);
             EXPECT_EQ(f.getAdherence(), 1.0);
         }},
        {"add feature", "speed-limit --description 'Works zone'",
         "Added road feature 2: Works zone (Speed Limit 80,",
         [](const ProjectFields& p) {
             ASSERT_EQ(p.m_vRoadFeatures.size(), 2u);
             EXPECT_EQ(p.m_vRoadFeatures[1].getDescription(), "Works zone");
         }},
        {"add detector",
         "st-density --first 100 --spacing 200 --last 2900 --interval 300 "
         "--direction negative",
         "Added detector 2: New Detector No. 2 (S-T Density, negative direction, All Vehicles, "
         "every 300 s)",
         [](const ProjectFields& p) {
             ASSERT_EQ(p.m_vStatDetectors.size(), 2u);
             const CStatDetector& d = p.m_vStatDetectors[1];
             EXPECT_EQ(d.getDetectorName(), DETECTOR_ST_DENSITY);
             EXPECT_EQ(d.getDetectorType(), DETECTOR_ARRAY);
             EXPECT_EQ(d.getParamA(), 100);
             EXPECT_EQ(d.getParamB(), 200);
             EXPECT_EQ(d.getParamC(), 2900);
             EXPECT_FALSE(d.getDirPos());
             EXPECT_EQ(d.getTimeInterval(), 300);
         }},
        {"add detector", "occupancy --start 2400 --end 2500 --vehicles cars",
         "Added detector 2: New Detector No. 2 (Occupancy, positive direction, Cars, every 60 s)",
         [](const ProjectFields& p) {
             ASSERT_EQ(p.m_vStatDetectors.size(), 2u);
             const CStatDetector& d = p.m_vStatDetectors[1];
             EXPECT_EQ(d.getDetectorType(), DETECTOR_SEGMENT);
             EXPECT_EQ(d.getParamA(), 2400);
             EXPECT_EQ(d.getParamB(), 2500);
             EXPECT_EQ(d.getDetectorVehicleType(), FILTER_CARS);
         }},
        {"add detector", "lane-changes --bin-width 100 --description Weaving",
         "Added detector 2: Weaving (Lane Changes,",
         [](const ProjectFields& p) {
             ASSERT_EQ(p.m_vStatDetectors.size(), 2u);
             EXPECT_EQ(p.m_vStatDetectors[1].getDetectorType(), DETECTOR_LANE_CHANGE);
             EXPECT_EQ(p.m_vStatDetectors[1].getParamA(), 100);
         }},
        {"add detector", "output-vehicles --position 2900",
         "Added detector 2: New Detector No. 2 (Output Vehicles,",
         [](const ProjectFields& p) {
             ASSERT_EQ(p.m_vStatDetectors.size(), 2u);
             EXPECT_EQ(p.m_vStatDetectors[1].getParamA(), 2900);
         }},
        {"add bridge", "--start 100 --end 130",
         "Added bridge 1: New Bridge No. 1 (100 to 130 m; load effect 1: Load Effect (Total load "
         "on beam))",
         [](const ProjectFields& p) {
             ASSERT_EQ(p.m_vBridges.size(), 1u);
             const CBridge& b = p.m_vBridges[0];
             EXPECT_EQ(b.GetStart(), 100.0);
             EXPECT_EQ(b.GetEnd(), 130.0);
             EXPECT_EQ(b.GetStepsPerSimStep(), 1u);
             EXPECT_FALSE(b.EventManager().hasOutput());
             ASSERT_EQ(b.GetNoLE(), 1);
             EXPECT_EQ(formOf(*b.GetLoadEffects()[0]), CInfLineFunction::TotalLoad);
             EXPECT_EQ(b.GetLoadEffects()[0]->LaneWeights(), (std::vector<double>{1, 1, 1}));
         }},
        {"add bridge",
         "--start 1200 --end 1240.5 --sub-steps 4 --time-history --block-max 600 "
         "--block-min 300 --basic-stats --histogram --function mid-span-moment "
         "--threshold-over 5000 --threshold-under -1 --lane-weights 1,0.5,-0.25 "
         "--description Viaduct --effect-description Moment",
         "Added bridge 1: Viaduct (1200 to 1240.5 m; load effect 1: Moment (Mid-span BM,",
         [](const ProjectFields& p) {
             ASSERT_EQ(p.m_vBridges.size(), 1u);
             const CBridge& b = p.m_vBridges[0];
             EXPECT_EQ(b.GetEnd(), 1240.5);
             EXPECT_EQ(b.GetStepsPerSimStep(), 4u);
             const CEventManager& out = b.EventManager();
             EXPECT_TRUE(out.getAll());
             EXPECT_TRUE(out.getBMax());
             EXPECT_EQ(out.getBlockMaxSize(), 600.0);
             EXPECT_TRUE(out.getBMin());
             EXPECT_EQ(out.getBlockMinSize(), 300.0);
             EXPECT_TRUE(out.getStats());
             EXPECT_TRUE(out.getStatsBasic());
             EXPECT_TRUE(out.getStatsHist());
             EXPECT_TRUE(out.getPOT());
             EXPECT_TRUE(out.getPUT());
             EXPECT_EQ(out.getThreshOver(), std::vector<double>{5000});
             EXPECT_EQ(out.getThreshUnder(), std::vector<double>{-1});
             const CLoadEffect& effect = *b.GetLoadEffects()[0];
             EXPECT_EQ(effect.getDescription(), "Moment");
             EXPECT_EQ(formOf(effect), CInfLineFunction::MidSpanMomentSimple);
             EXPECT_EQ(effect.LaneWeights(), (std::vector<double>{1, 0.5, -0.25}));
         }},
        {"import-il", lines,
         "Imported 2 influence lines from " + lines + ": 1 Span A, 2 Imported IL no. 2",
         [](const ProjectFields& p) {
             ASSERT_EQ(p.m_vInfLines.size(), 2u);
             EXPECT_EQ(p.m_vInfLines[0].GetID(), 1);
             EXPECT_EQ(p.m_vInfLines[0].GetDistances(), (std::vector<double>{0, 5, 10}));
             EXPECT_EQ(p.m_vInfLines[1].GetID(), 2);
             EXPECT_EQ(p.m_vInfLines[1].getDescription(), "Imported IL no. 2");
         }},
    };
    for (const EditCase& c : cases) {
        SCOPED_TRACE(c.verb + " " + c.rest);
        std::filesystem::remove(project);
        ASSERT_EQ(runTarlo(dir, "new '" + project + "' --lanes-pos 2 --lanes-neg 1").exitCode, 0);
        const CliResult result = edit(c.verb, c.rest);
        ASSERT_EQ(result.exitCode, 0) << result.err;
        EXPECT_EQ(result.out.rfind(c.printed, 0), 0u) << result.out;
        EXPECT_EQ(result.out.find('\n'), result.out.size() - 1) << "one line: " << result.out;
        c.check(saved());
    }
}

TEST_F(ProjectEditCommands, BridgesAndLoadEffectsBuildUp) {
    ASSERT_EQ(edit("import-il", lines).exitCode, 0);
    ASSERT_EQ(edit("import-il", lines).exitCode, 0);
    ASSERT_EQ(edit("add bridge", "--start 100 --end 140").exitCode, 0);
    ASSERT_EQ(edit("add bridge", "--start 200 --end 210 --discrete 'Span A' "
                                 "--threshold-over 10 --threshold-under -10")
                  .exitCode,
              0);
    const CliResult byNumber = edit("add load-effect", "--bridge 2 --discrete 4 "
                                                       "--lane-weights 1,0.8,0.6 "
                                                       "--threshold-under -20 --description S");
    ASSERT_EQ(byNumber.exitCode, 0) << byNumber.err;
    EXPECT_EQ(byNumber.out,
              "Added load effect 2 to bridge 2: S (discrete line 4: Imported IL no. 2)\n");
    ASSERT_EQ(edit("add load-effect", "--bridge 1 --function left-shear").exitCode, 0);

    const ProjectFields p = saved();
    ASSERT_EQ(p.m_vInfLines.size(), 4u);
    EXPECT_EQ(p.m_vInfLines[2].GetID(), 3); // numbered on from the lines already there
    EXPECT_EQ(p.m_vInfLines[2].getDescription(), "Span A");
    ASSERT_EQ(p.m_vBridges.size(), 2u);
    EXPECT_EQ(p.m_vBridges[1].GetID(), 2);
    EXPECT_EQ(p.m_vBridges[1].getDescription(), "New Bridge No. 2");

    const CBridge& second = p.m_vBridges[1];
    ASSERT_EQ(second.GetNoLE(), 2);
    const auto* first =
        dynamic_cast<const CInfLineDiscrete*>(second.GetLoadEffects()[0]->GetInfLine().get());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->GetID(), 1); // the first line of that description
    const auto* added =
        dynamic_cast<const CInfLineDiscrete*>(second.GetLoadEffects()[1]->GetInfLine().get());
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->GetID(), 4);
    EXPECT_EQ(added->GetLength(), 4.0);
    EXPECT_EQ(second.GetLoadEffects()[1]->GetID(), 2);
    EXPECT_EQ(second.GetLoadEffects()[1]->LaneWeights(), (std::vector<double>{1, 0.8, 0.6}));
    // One threshold per load effect; the new one has none over and -20 under.
    EXPECT_EQ(second.EventManager().getThreshOver(), (std::vector<double>{10, 0}));
    EXPECT_EQ(second.EventManager().getThreshUnder(), (std::vector<double>{-10, -20}));

    ASSERT_EQ(p.m_vBridges[0].GetNoLE(), 2);
    EXPECT_EQ(formOf(*p.m_vBridges[0].GetLoadEffects()[1]), CInfLineFunction::LeftShearSimple);
}

struct RefusedCase {
    std::string verb;
    std::string rest;
    std::string named; // what the message must name
};

TEST_F(ProjectEditCommands, BadValuesAreRefusedAndLeaveTheProjectAlone) {
    ASSERT_EQ(edit("add bridge", "--start 100 --end 140").exitCode, 0);
    const std::string before = readFile(project);
    const std::vector<RefusedCase> cases = {
        {"add feature", "lorry", "'lorry'"},
        {"add feature", "", "TYPE"},
        {"add feature", "gradient --value steep", "'steep'"},
        {"add feature", "gradient --start -5", "'-5'"},
        {"add feature", "gradient --end 12.5", "'12.5'"},
        {"add feature", "gradient --direction up", "'up'"},
        {"add feature", "gradient --vehicles bikes", "'bikes'"},
        {"add feature", "gradient --adherence 1.5", "--adherence"},
        {"add feature", "gradient --colour red", "--colour"},
        {"add detector", "radar", "'radar'"},
        {"add detector", "occupancy --position 100", "--position"},
        {"add detector", "headway --start 100", "--start"},
        {"add detector", "st-sms --spacing 0", "--spacing"},
        {"add detector", "lane-changes --bin-width 0", "--bin-width"},
        {"add detector", "headway --interval 1.5", "'1.5'"},
        {"add bridge", "--start 100", "--end"},
        {"add bridge", "--start 100 --end 200 --function arch", "'arch'"},
        {"add bridge", "--start 100 --end 200 --function total-load --discrete X", "--discrete"},
        {"add bridge", "--start 100 --end 200 --sub-steps two", "'two'"},
        {"add bridge", "--start 100 --end 200 --block-max -600", "'-600'"},
        {"add bridge", "--start 100 --end 200 --lane-weights 1,1", "3 lanes"},
        {"add bridge", "--start 100 --end 200 --discrete Missing", "'Missing'"},
        {"add bridge", "--start 100 --end 200 --threshold-over high", "'high'"},
        {"add load-effect", "--bridge 9 --function total-load", "9"},
        {"add load-effect", "--bridge 1", "--function"},
        {"add load-effect", "--function total-load", "--bridge"},
        {"add load-effect", "--bridge 1 --function left-shear --lane-weights 1,x,1", "'x'"},
        {"add load-effect", "--bridge 1 --function left-shear --lane-weights 1,1,1,1", "4"},
        {"import-il", "", "FILE"},
    };
    for (const RefusedCase& c : cases) {
        const CliResult result = edit(c.verb, c.rest);
        EXPECT_EQ(result.exitCode, 2) << c.verb << ' ' << c.rest;
        EXPECT_NE(result.err.find(c.named), std::string::npos) << c.verb << ' ' << c.rest << '\n'
                                                               << result.err;
        EXPECT_NE(result.err.find("Try 'tarlo " + c.verb + " --help'."), std::string::npos)
            << result.err;
        EXPECT_TRUE(result.out.empty()) << result.out;
    }
    EXPECT_EQ(readFile(project), before);
}

TEST_F(ProjectEditCommands, UnreadableFilesExitThree) {
    const std::string before = readFile(project);
    std::ofstream(dir.file("short.csv")) << "2\n1,3\n0,0\n";
    for (const std::string& file : {dir.file("absent.csv"), dir.file("short.csv")}) {
        const CliResult result = edit("import-il", file);
        EXPECT_EQ(result.exitCode, 3) << file;
        EXPECT_NE(result.err.find(file), std::string::npos) << result.err;
    }
    EXPECT_EQ(readFile(project), before);

    const CliResult missing =
        runTarlo(dir, "add feature '" + dir.file("absent.tlp") + "' gradient");
    EXPECT_EQ(missing.exitCode, 3);
    EXPECT_FALSE(std::filesystem::exists(dir.file("absent.tlp")));
}

TEST(ProjectEditCommandLine, EveryCommandHasHelp) {
    TempDir dir;
    for (const std::string name :
         {"add feature", "add detector", "add bridge", "add load-effect", "import-il"}) {
        for (const std::string& line : {name + " --help", "help " + name}) {
            const CliResult result = runTarlo(dir, line);
            EXPECT_EQ(result.exitCode, 0) << line;
            EXPECT_EQ(result.out.rfind("Usage: tarlo " + name + " PROJECT", 0), 0u)
                << line << result.out;
        }
    }
    const CliResult group = runTarlo(dir, "add --help");
    EXPECT_EQ(group.exitCode, 0);
    EXPECT_NE(group.out.find("add load-effect"), std::string::npos) << group.out;
}

} // namespace
} // namespace tarlo::test
