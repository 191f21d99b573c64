#include "CliSupport.h"

#include "bridges/CInfLineFunction.h"
#include "bridges/ILImport.h"
#include "project/ProjectFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>

namespace tarlo::test {
namespace {

const std::filesystem::path DEMO = std::filesystem::path(TARLO_EXAMPLES) / "demo";

ProjectFields loadProject(const std::string& path) {
    ProjectFields fields;
    EXPECT_TRUE(ProjectFile::load(fields, path).ok) << path;
    return fields;
}

// A number as the output file names write it: "1200", "1240.5".
std::string named(double value) {
    std::ostringstream text;
    text << value;
    return text.str();
}

// The files a run of the project writes, by the bridges' output selection and the detectors'
// kinds, filters, directions and positions.
std::set<std::string> selectedFiles(const ProjectFields& p) {
    std::set<std::string> files;
    for (const CBridge& bridge : p.m_vBridges) {
        const CEventManager& out = bridge.EventManager();
        const std::string extent = named(bridge.GetStart()) + "-" + named(bridge.GetEnd());
        const std::map<std::string, bool> tags = {{"All", out.getAll()},
                                                  {"BMax", out.getBMax()},
                                                  {"BMin", out.getBMin()},
                                                  {"POT", out.getPOT()},
                                                  {"PUT", out.getPUT()},
                                                  {"Stats_Basic", out.getStatsBasic()},
                                                  {"Stats_Hist", out.getStatsHist()}};
        for (const auto& [tag, selected] : tags)
            if (selected)
                files.insert("Br_" + std::to_string(bridge.GetID()) + "_" + tag + "_" + extent +
                             ".csv");
    }
    const std::map<int, std::string> prefixes = {{520, "FD_"},  {521, "Head_"},  {522, "Comp_"},
                                                 {524, "Veh_"}, {525, "Macro_"}, {526, "Micro_"},
                                                 {527, "STD_"}, {528, "STSMS_"}, {529, "Occup_"}};
    const std::vector<std::string> tokens = {"All", "Trucks", "Car", "ST",
                                             "LT",  "Crane",  "LL",  "UDV"};
    for (const CStatDetector& d : p.m_vStatDetectors) {
        const std::string vehicles =
            tokens.at(d.getDetectorVehicleType() - 500) + "_" + (d.getDirPos() ? "Pos" : "Neg");
        const std::string a = std::to_string(d.getParamA());
        switch (d.getDetectorName()) {
        case 523:
            for (const char* prefix : {"LC_All_", "LC_Comp_", "LC_ST_", "LC_Rate_"})
                files.insert(prefix + vehicles + ".csv");
            break;
        case 524:
            files.insert("Veh_" + vehicles + "_" + a + ".txt");
            break;
        case 525:
        case 526:
        case 529:
            files.insert(prefixes.at(d.getDetectorName()) + vehicles + "_" + a + "-" +
                         std::to_string(d.getParamB()) + ".csv");
            break;
        case 527:
        case 528:
            files.insert(prefixes.at(d.getDetectorName()) + vehicles + "_" + a + "-" +
                         std::to_string(d.getParamC()) + ".csv");
            break;
        default:
            files.insert(prefixes.at(d.getDetectorName()) + vehicles + "_" + a + ".csv");
        }
    }
    return files;
}

// The first lines of the example's traffic file, line ends and all.
void copyTrafficSlice(const std::string& target, int lines) {
    std::ifstream in(DEMO / "demo.cas", std::ios::binary);
    std::ofstream out(target, std::ios::binary);
    std::string line;
    for (int i = 0; i < lines && std::getline(in, line); ++i)
        out << line << '\n';
}

TEST(ExampleProject, HoldsWhatItShows) {
    const ProjectFields p = loadProject((DEMO / "demo.tlp").string());
    EXPECT_EQ(p.m_Version, 6);
    // Relative, so the project runs from any copy of its folder.
    EXPECT_EQ(p.m_FileIn, "demo.cas");
    EXPECT_EQ(p.m_RoadLength, 3000);
    EXPECT_EQ(p.m_NoLanesDirPos, 2);
    EXPECT_EQ(p.m_NoLanesDirNeg, 1);

    std::multiset<int> types;
    for (const CRoadFeature& feature : p.m_vRoadFeatures)
        types.insert(feature.getType());
    EXPECT_EQ(types, (std::multiset<int>{CRoadFeature::SpeedLimit, CRoadFeature::Gradient,
                                         CRoadFeature::Obstacle}));
    std::multiset<int> kinds;
    for (const CStatDetector& detector : p.m_vStatDetectors)
        kinds.insert(detector.getDetectorName());
    EXPECT_EQ(kinds, (std::multiset<int>{520, 521, 522, 523, 524, 525, 526, 527, 528, 529}));

    ASSERT_EQ(p.m_vBridges.size(), 2u);
    std::vector<int> forms;
    for (const auto& effect : p.m_vBridges[0].GetLoadEffects())
        forms.push_back(static_cast<const CInfLineFunction&>(*effect->GetInfLine()).GetForm());
    EXPECT_EQ(forms, (std::vector<int>{CInfLineFunction::MidSpanMomentSimple,
                                       CInfLineFunction::LeftShearSimple,
                                       CInfLineFunction::RightShearSimple}));
    for (const CBridge& bridge : p.m_vBridges) {
        const CEventManager& out = bridge.EventManager();
        EXPECT_TRUE(out.getAll() && out.getBMax() && out.getBMin() && out.getPOT() &&
                    out.getPUT() && out.getStatsBasic() && out.getStatsHist())
            << "bridge " << bridge.GetID();
    }

    // The discrete line is the one of the import file beside the project.
    std::vector<CInfLineDiscrete> imported;
    ASSERT_TRUE(ImportILFile(DEMO / "mid-span-shear.csv", imported).Succeeded());
    ASSERT_EQ(imported.size(), 1u);
    ASSERT_EQ(p.m_vBridges[1].GetNoLE(), 1);
    const CLoadEffect& shear = *p.m_vBridges[1].GetLoadEffects()[0];
    const auto* line = dynamic_cast<const CInfLineDiscrete*>(shear.GetInfLine().get());
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->GetDistances(), imported[0].GetDistances());
    EXPECT_EQ(line->GetOrdinates(), imported[0].GetOrdinates());
    EXPECT_EQ(line->GetLength(), p.m_vBridges[1].GetSpanLength());
    const std::vector<double>& weights = shear.LaneWeights();
    EXPECT_TRUE(std::any_of(weights.begin(), weights.end(), [](double w) { return w != 1.0; }));
}

TEST(ExampleProject, RunsOnASliceOfItsTrafficAndWritesEverySelectedFile) {
    TempDir dir;
    const std::string project = dir.file("demo.tlp");
    std::filesystem::copy_file(DEMO / "demo.tlp", project);
    copyTrafficSlice(dir.file("demo.cas"), 300);

    const CliResult validated = runTarlo(dir, "validate '" + project + "'");
    EXPECT_EQ(validated.exitCode, 0) << validated.out;
    EXPECT_NE(validated.out.find("demo.tlp| Overall| Validation succesful!"), std::string::npos)
        << validated.out;

    const std::string metrics = dir.file("metrics");
    const CliResult ran =
        runTarlo(dir, "run '" + project + "' --seed 1 --quiet --metrics '" + metrics + "'");
    ASSERT_EQ(ran.exitCode, 0) << ran.out << ran.err;

    const std::set<std::string> expected = selectedFiles(loadProject(project));
    EXPECT_EQ(expected.size(), 27u);
    std::set<std::string> written;
    for (const auto& entry : std::filesystem::directory_iterator(metrics))
        written.insert(entry.path().filename().string());
    EXPECT_EQ(written, expected);
    EXPECT_EQ(reportedNumber(ran.out, "Files written"), static_cast<long long>(expected.size()));
    for (const std::string& file : written) {
        // The output detector's traffic file has no header; every table has one.
        if (!file.ends_with(".txt")) {
            EXPECT_NE(readFile(metrics + "/" + file).find("\r\n"), std::string::npos) << file;
        }
    }
    // The first vehicles cross both bridges.
    for (const char* history : {"Br_1_All_1200-1240.csv", "Br_2_All_2300-2330.csv"}) {
        const std::string text = readFile(metrics + "/" + history);
        EXPECT_GT(std::count(text.begin(), text.end(), '\n'), 100) << history;
    }
}

} // namespace
} // namespace tarlo::test
