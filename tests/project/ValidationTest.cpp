#include "project/CValidation.h"

#include "bridges/CInfLineDiscrete.h"
#include "project/CTarloDoc.h"
#include "project/settings/CSettings.h"
#include "support/RecordingHost.h"
#include "support/TrafficFixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <limits>
#include <numeric>
#include <string>
#include <vector>

namespace tarlo::test {
namespace {

using Lines = std::vector<std::string>;

// A saved-looking project with an existing traffic file, one lane per direction, traffic
// file lanes 1 and 1, a 0.1 s time step, a fixed metrics folder and no elements.
class ValidationTest : public ::testing::Test {
protected:
    ValidationTest() {
        doc.newProject();
        doc.m_vRoadFeatures.clear();
        doc.m_vStatDetectors.clear();
        setRoadLanes(1, 1);
        doc.m_FileIn = writeCastorFile(dir, "traffic.cas", {CastorRecord{}});
        doc.m_MetricsDir = dir.file("metrics");
        doc.m_bAutoDir = false;
        doc.m_SimTimeStep = 0.1;
        doc.setModified(false);
    }

    void setRoadLanes(int positive, int negative) {
        doc.m_NoLanesDirPos = positive;
        doc.m_NoLanesDirNeg = negative;
        doc.updateLaneTotals();
    }

    CValidation validator() { return CValidation(&doc, settings, host); }

    // The report since the last call, without the document name.
    Lines report() {
        Lines lines;
        const std::string prefix = doc.getTitle() + "| ";
        for (const std::string& line : host.validationLines) {
            EXPECT_EQ(line.rfind(prefix, 0), 0u) << line;
            lines.push_back(line.substr(prefix.size()));
        }
        host.validationLines.clear();
        return lines;
    }

    // Every line of the report prefixed by one section label.
    static Lines under(const std::string& section, const Lines& messages) {
        Lines lines;
        for (const std::string& message : messages)
            lines.push_back(section + "| " + message);
        return lines;
    }

    TempDir dir{"tarlo-validation"};
    CSettings settings;
    RecordingHost host;
    CTarloDoc doc{settings, host};
};

// --- Whole pass, document and missing document -------------------------------------------

TEST_F(ValidationTest, CleanProjectCreatesTheMetricsFolderAndSucceeds) {
    const std::string metrics = dir.file("metrics");
    EXPECT_TRUE(validator().validate());
    EXPECT_EQ(report(), (Lines{"Metrics Directory| Directory created: " + metrics,
                               "Overall| Validation succesful!"}));
    EXPECT_TRUE(std::filesystem::is_directory(metrics));

    EXPECT_TRUE(validator().validate());
    EXPECT_EQ(report(),
              (Lines{"Metrics Directory| Directory exists, existing files will be overwritten: " +
                         metrics,
                     "Overall| Validation succesful!"}));
}

TEST_F(ValidationTest, ReportLinesCarryTheDocumentName) {
    ASSERT_TRUE(doc.save(dir.file("Bridge Study.tlp")));
    validator().validate();
    ASSERT_EQ(host.validationLines.size(), 2u);
    EXPECT_EQ(host.validationLines[1], "Bridge Study.tlp| Overall| Validation succesful!");
}

TEST_F(ValidationTest, UnsavedChangesFailTheDocumentCheck) {
    doc.setModified(true);
    EXPECT_FALSE(validator().checkDocument());
    EXPECT_EQ(report(), (Lines{"Document| Save the *.tlp file before running the simulation."}));
    doc.setModified(false);
    EXPECT_TRUE(validator().checkDocument());
    EXPECT_TRUE(report().empty());
}

TEST_F(ValidationTest, WithoutADocumentEveryCheckReportsAndFails) {
    CValidation none(nullptr, settings, host);
    const std::vector<std::function<bool()>> checks = {
        [&] { return none.validate(); },
        [&] { return none.checkDocument(); },
        [&] { return none.checkConfiguration(); },
        [&] { return none.checkMetricsDirectory(); },
        [&] { return none.checkFeatures(); },
        [&] { return none.checkDetectors(); },
        [&] { return none.checkBridges(); },
        [&] { return none.checkInfluenceLines(); },
        [&] { return none.checkDiscreteDistributions(); },
    };
    for (std::size_t i = 0; i < checks.size(); ++i) {
        SCOPED_TRACE(i);
        host.validationLines.clear();
        EXPECT_FALSE(checks[i]());
        EXPECT_EQ(host.validationLines, (Lines{"No document available for validation."}));
    }
}

// One finding in every group: all eight run, in order, and the pass fails without the
// closing line.
TEST_F(ValidationTest, EveryGroupRunsInOrderWhateverTheEarlierOnesFound) {
    const std::string metrics = dir.file("metrics");
    doc.setModified(true);
    doc.m_SimTimeStep = 2.0;
    CRoadFeature& feature = doc.m_vRoadFeatures.emplace_back();
    feature.setDescription("Limit");
    feature.setStart(100);
    feature.setEnd(110);
    doc.m_vRoadFeatures.push_back(doc.m_vRoadFeatures[0]);
    CStatDetector& detector = doc.m_vStatDetectors.emplace_back();
    detector.setDescription("FD");
    detector.setTimeInterval(5);
    doc.addBridge().setDescription("Span");
    doc.m_vBridges[0].EventManager().setAll(true);
    doc.addInfluenceLine().SetPoints({0, 10, 10}, {0, 1, 0});
    doc.addDiscreteDist().setDescription("Dist");
    doc.setModified(true);

    EXPECT_FALSE(validator().validate());
    const Lines lines = report();
    EXPECT_EQ(lines, (Lines{
                         "Document| Save the *.tlp file before running the simulation.",
                         "Configuration| Very large timestep (> 1.0 s).",
                         "Metrics Directory| Directory created: " + metrics,
                         "Feature 1 - Limit| Length less than minimum (20 m).",
                         "Features| Feature 1 overlaps with Feature 2 - change start and end "
                         "points.",
                         "Feature 2 - Limit| Length less than minimum (20 m).",
                         "Features| Feature 2 overlaps with Feature 1 - change start and end "
                         "points.",
                         "Detector 1 - FD| The time interval is very small and may cause "
                         "problems.",
                         "Bridge 1 - Span| Bridge calculation time step too large (> 0.5 s) - "
                         "change overall simulation step or the number of bridge sub-steps.",
                         "Influence Line 1 - New IL No. 1| Distance not in ascending order at "
                         "row 3.",
                         "Discrete Distribution 1 - Dist| Data and PMF zero at row 1.",
                         "Discrete Distribution 1 - Dist| Data and PMF zero at row 2.",
                         "Discrete Distribution 1 - Dist| Data and PMF zero at row 3.",
                         "Discrete Distribution 1 - Dist| Data and PMF zero at row 4.",
                         "Discrete Distribution 1 - Dist| Data and PMF zero at row 5.",
                         "Discrete Distribution 1 - Dist| PMF <= 0 or > 1.0 at row 1.",
                         "Discrete Distribution 1 - Dist| PMF <= 0 or > 1.0 at row 2.",
                         "Discrete Distribution 1 - Dist| PMF <= 0 or > 1.0 at row 3.",
                         "Discrete Distribution 1 - Dist| PMF <= 0 or > 1.0 at row 4.",
                         "Discrete Distribution 1 - Dist| PMF <= 0 or > 1.0 at row 5.",
                         "Discrete Distribution 1 - Dist| PMF does not sum to 1.0.",
                         "Discrete Distribution 1 - Dist| Data not in ascending order at row 1.",
                         "Discrete Distribution 1 - Dist| Data not in ascending order at row 2.",
                         "Discrete Distribution 1 - Dist| Data not in ascending order at row 3.",
                         "Discrete Distribution 1 - Dist| Data not in ascending order at row 4.",
                         "Discrete Distribution 1 - Dist| Data not in ascending order at row 5.",
                     }));
}

// A note alone never fails a pass.
TEST_F(ValidationTest, NotesAloneLetThePassSucceed) {
    doc.m_bConstVelocity = true;
    CStatDetector& detector = doc.m_vStatDetectors.emplace_back();
    detector.setDescription("FD");
    detector.setTimeInterval(5);
    EXPECT_TRUE(validator().validate());
    const Lines lines = report();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "Configuration| Constant velocity set - vehicle overlaps may occur.");
    EXPECT_EQ(lines[2], "Detector 1 - FD| The time interval is very small and may cause problems.");
    EXPECT_EQ(lines[3], "Overall| Validation succesful!");
}

// --- Configuration ---------------------------------------------------------------------

TEST_F(ValidationTest, ConfigurationChecks) {
    struct Row {
        const char* name;
        std::function<void(CTarloDoc&)> change;
        Lines messages;
        bool ok;
    };
    const std::string missing = dir.file("missing.cas");
    const std::string folder = dir.file("folder.cas");
    std::filesystem::create_directory(folder);
    const auto lanes = [](int pos, int neg, int total, int filePos, int fileNeg) {
        return [=](CTarloDoc& d) {
            d.m_NoLanesDirPos = pos;
            d.m_NoLanesDirNeg = neg;
            d.m_NoLanes = total;
            d.m_TrafFileNoLanesDirPos = filePos;
            d.m_TrafFileNoLanesDirNeg = fileNeg;
        };
    };
    const std::vector<Row> rows = {
        {"clean", [](CTarloDoc&) {}, {}, true},
        {"missing traffic file",
         [&](CTarloDoc& d) { d.m_FileIn = missing; },
         {"The input traffic file does not exist."},
         false},
        {"traffic file is a folder",
         [&](CTarloDoc& d) { d.m_FileIn = folder; },
         {"The input traffic file does not exist."},
         false},
        {"zero lanes",
         lanes(0, 0, 0, 1, 1),
         {"There cannot be zero lanes in both directions.",
          "Direction negative: more lanes in traffic file than on road.",
          "Direction positive: more lanes in traffic file than on road."},
         false},
        {"no traffic file lanes",
         lanes(1, 1, 2, 0, 0),
         {"No lanes specified for traffic file.",
          "Direction positive: no lanes in traffic file for this direction.",
          "Direction negative: no lanes in traffic file for this direction."},
         false},
        {"more negative file lanes",
         lanes(1, 1, 2, 1, 2),
         {"Direction negative: more lanes in traffic file than on road."},
         false},
        {"more positive file lanes",
         lanes(1, 1, 2, 2, 1),
         {"Direction positive: more lanes in traffic file than on road."},
         false},
        {"fewer file lanes than road lanes", lanes(3, 2, 5, 1, 1), {}, true},
        {"one direction", lanes(2, 0, 2, 2, 0), {}, true},
        {"time step 0.01", [](CTarloDoc& d) { d.m_SimTimeStep = 0.01; }, {}, true},
        {"time step 0.009",
         [](CTarloDoc& d) { d.m_SimTimeStep = 0.009; },
         {"Very small timestep (< 0.01 s)."},
         false},
        {"time step not a number",
         [](CTarloDoc& d) { d.m_SimTimeStep = std::numeric_limits<double>::quiet_NaN(); },
         {"Very small timestep (< 0.01 s)."},
         false},
        {"time step 1.0", [](CTarloDoc& d) { d.m_SimTimeStep = 1.0; }, {}, true},
        {"time step 1.01",
         [](CTarloDoc& d) { d.m_SimTimeStep = 1.01; },
         {"Very large timestep (> 1.0 s)."},
         false},
        {"constant velocity",
         [](CTarloDoc& d) { d.m_bConstVelocity = true; },
         {"Constant velocity set - vehicle overlaps may occur."},
         true},
        // The road cannot build a negative number of lanes.
        {"negative road lanes",
         lanes(-1, 2, 1, 1, 1),
         {"Direction positive: more lanes in traffic file than on road.",
          "Negative number of lanes on road."},
         false},
        // A road of one direction is the positive direction.
        {"one direction on the negative side",
         lanes(0, 1, 1, 0, 1),
         {"A road with one direction must use the positive direction."},
         false},
        {"negative traffic file lanes",
         lanes(1, 2, 3, -1, 2),
         {"Negative number of lanes in traffic file."},
         false},
        {"format without a reader",
         [](CTarloDoc& d) { d.m_FileType = 103; },
         {"Unknown traffic file format."},
         false},
        {"Kirro format", [](CTarloDoc& d) { d.m_FileType = 102; }, {}, true},
        // Counts that size the road's lanes and every load effect's weights are bounded.
        {"99 lanes per direction", lanes(99, 99, 198, 99, 99), {}, true},
        {"100 lanes in the positive direction",
         lanes(100, 1, 101, 1, 1),
         {"Too many lanes in positive direction: 100 (at most 99)."},
         false},
        {"a billion lanes in the negative direction, the total as it was",
         lanes(1, 1000000000, 2, 1, 1),
         {"Too many lanes in negative direction: 1000000000 (at most 99)."},
         false},
        {"a billion traffic file lanes",
         lanes(1, 1, 2, 1000000000, 1),
         {"Direction positive: more lanes in traffic file than on road.",
          "Too many lanes in traffic file for positive direction: 1000000000 (at most 99)."},
         false},
        {"a road of 1000 km", [](CTarloDoc& d) { d.m_RoadLength = 1000000; }, {}, true},
        {"a road longer than 1000 km",
         [](CTarloDoc& d) { d.m_RoadLength = 1000001; },
         {"Road too long: 1000001 m (at most 1000000 m)."},
         false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        doc.newProject();
        doc.m_FileIn = writeCastorFile(dir, "traffic.cas", {CastorRecord{}});
        doc.m_TrafFileNoLanesDirPos = 1;
        doc.m_TrafFileNoLanesDirNeg = 1;
        row.change(doc);
        EXPECT_EQ(validator().checkConfiguration(), row.ok);
        EXPECT_EQ(report(), under("Configuration", row.messages));
    }
}

TEST_F(ValidationTest, LaneTotalsAreRepairedAndTheProjectMustBeSavedAgain) {
    doc.addBridge();
    ASSERT_EQ(doc.m_vBridges[0].GetNoLanes(), 2);
    doc.m_NoLanesDirPos = 2;
    doc.setModified(false);

    EXPECT_FALSE(validator().checkConfiguration());
    EXPECT_EQ(report(), (Lines{"Configuration| Fixed road lane numbers inconsistency - check and "
                               "save file."}));
    EXPECT_EQ(doc.m_NoLanes, 3);
    EXPECT_EQ(doc.m_NoDirections, 2);
    EXPECT_EQ(doc.m_vBridges[0].GetNoLanes(), 3);
    EXPECT_EQ(doc.m_vBridges[0].GetLoadEffects()[0]->LaneWeights(),
              (std::vector<double>{1.0, 1.0, 1.0}));
    EXPECT_TRUE(doc.isModified());
    // The next pass finds the repair unsaved.
    EXPECT_FALSE(validator().checkDocument());
    EXPECT_EQ(report(), (Lines{"Document| Save the *.tlp file before running the simulation."}));

    // A direction without lanes leaves a road of one direction.
    doc.m_NoLanesDirNeg = 0;
    doc.m_TrafFileNoLanesDirNeg = 0;
    EXPECT_FALSE(validator().checkConfiguration());
    EXPECT_EQ(report().size(), 1u);
    EXPECT_EQ(doc.m_NoLanes, 2);
    EXPECT_EQ(doc.m_NoDirections, 1);
    EXPECT_EQ(doc.m_vBridges[0].GetNoLanes(), 2);
}

// --- Paths ---------------------------------------------------------------------------

// Projects made on Windows separate folders with '\'; relative paths lie in the project's
// folder.
TEST_F(ValidationTest, RelativeAndBackslashPathsResolveAgainstTheProjectFolder) {
    std::filesystem::create_directories(dir.file("data"));
    std::filesystem::create_directories(dir.file("out"));
    std::filesystem::rename(doc.m_FileIn, dir.file("data/traffic.cas"));
    ASSERT_TRUE(doc.save(dir.file("study.tlp")));
    const std::string folder = ProjectFile::folder(doc.getPathName());
    doc.m_FileIn = "data\\traffic.cas";
    doc.m_MetricsDir = "out\\Metrics\\";

    EXPECT_TRUE(validator().checkConfiguration());
    EXPECT_TRUE(validator().checkMetricsDirectory());
    EXPECT_EQ(report(),
              (Lines{"Metrics Directory| Directory created: " + folder + "/out/Metrics/"}));
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("out/Metrics")));
}

TEST_F(ValidationTest, MetricsDirectoryCreatesOnlyTheLastLevel) {
    struct Row {
        const char* name;
        std::string path;
        const char* message;
        bool ok;
        bool existsAfter;
    };
    std::ofstream(dir.file("plain-file")) << "x";
    std::filesystem::create_directory(dir.file("existing"));
    const std::vector<Row> rows = {
        {"new folder", dir.file("fresh"), "Directory created: ", true, true},
        {"trailing separator", dir.file("slashed/"), "Directory created: ", true, true},
        {"existing folder", dir.file("existing"),
         "Directory exists, existing files will be overwritten: ", true, true},
        {"parent missing", dir.file("no/such"), "Directory creation failed: ", false, false},
        {"a file in the way", dir.file("plain-file"), "Directory creation failed: ", false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        doc.m_MetricsDir = row.path;
        EXPECT_EQ(validator().checkMetricsDirectory(), row.ok);
        EXPECT_EQ(report(), (Lines{"Metrics Directory| " + std::string(row.message) + row.path}));
        EXPECT_EQ(std::filesystem::is_directory(row.path), row.existsAfter);
    }
}

// --- The run control's hook ----------------------------------------------------------------

TEST_F(ValidationTest, RunControlRefusesAnInvalidProjectThroughTheHook) {
    installValidation(doc, host);
    CRoadFeature& gradient = doc.addRoadFeature(CRoadFeature::Gradient);
    gradient.setValue(10.0);
    doc.setModified(false);
    // The run control hands over the settings as they are when the run starts.
    settings.Road.RoadFeatures.Gradient.MAX_SLOPE = 5;

    EXPECT_FALSE(doc.runControl().validateSimulation());
    EXPECT_EQ(report(),
              (Lines{"Metrics Directory| Directory created: " + dir.file("metrics"),
                     "Feature 1 - New Feature No. 1| Gradient specified is greater than the "
                     "maximum of 5%."}));
    ASSERT_EQ(host.outputLines.size(), 2u);
    EXPECT_NE(host.outputLines[0].find("| Validating simulation"), std::string::npos);
    EXPECT_NE(host.outputLines[1].find("| Cancelling simulation"), std::string::npos);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text,
              "Cannot run invalid simulation.\nPlease see the Validation Report.");

    doc.runControl().runInvisible();
    EXPECT_FALSE(doc.runControl().m_bRunning);
    EXPECT_FALSE(doc.runControl().m_pWorkerThread.joinable());

    settings.Road.RoadFeatures.Gradient.MAX_SLOPE = 15;
    host.validationLines.clear();
    EXPECT_TRUE(doc.runControl().validateSimulation());
    EXPECT_EQ(report().back(), "Overall| Validation succesful!");
}

// The automatic metrics folder is composed beside the traffic file and made by the pass.
TEST_F(ValidationTest, TheAutomaticMetricsFolderIsCreatedByTheValidation) {
    installValidation(doc, host);
    doc.m_bAutoDir = true;
    EXPECT_TRUE(doc.runControl().validateSimulation());
    const std::string metrics = dir.file("Metrics_20261209-143000/");
    EXPECT_EQ(report(), (Lines{"Metrics Directory| Directory created: " + metrics,
                               "Overall| Validation succesful!"}));
    EXPECT_TRUE(std::filesystem::is_directory(metrics));
}

// --- Road features ---------------------------------------------------------------------------

CRoadFeature makeFeature(int type, double value, int start, int end, bool positive = true,
                         double adherence = 1.0) {
    CRoadFeature feature;
    feature.setDescription("F");
    feature.setType(type);
    feature.setValue(value);
    feature.setStart(start);
    feature.setEnd(end);
    feature.setDirPos(positive);
    feature.setAdherence(adherence);
    return feature;
}

TEST_F(ValidationTest, FeatureChecks) {
    struct Row {
        const char* name;
        CRoadFeature feature;
        Lines messages;
        bool ok;
    };
    using F = CRoadFeature;
    setRoadLanes(3, 2);
    const std::vector<Row> rows = {
        {"speed limit 300-320", makeFeature(F::SpeedLimit, 80, 300, 320), {}, true},
        {"speed limit 300-310",
         makeFeature(F::SpeedLimit, 80, 300, 310),
         {"Length less than minimum (20 m)."},
         false},
        {"entered from 500 to 100",
         makeFeature(F::SpeedLimit, 80, 500, 100),
         {"Swapped start and end."},
         true},
        {"starts before the road",
         makeFeature(F::SpeedLimit, 80, -10, 100),
         {"Starts outside the defined road."},
         false},
        {"starts beyond the road",
         makeFeature(F::SpeedLimit, 80, 3010, 3040),
         {"Starts outside the defined road.", "Ends outside the defined road."},
         false},
        {"ends beyond the road",
         makeFeature(F::SpeedLimit, 80, 2900, 3001),
         {"Ends outside the defined road."},
         false},
        {"whole road", makeFeature(F::SpeedLimit, 80, 0, 3000), {}, true},
        {"adherence 0.01", makeFeature(F::SpeedLimit, 80, 0, 100, true, 0.01), {}, true},
        {"adherence 0.005",
         makeFeature(F::SpeedLimit, 80, 0, 100, true, 0.005),
         {"Adherence must be appreciable size."},
         false},
        {"adherence -0.5",
         makeFeature(F::SpeedLimit, 80, 0, 100, true, -0.5),
         {"Adherence must be positive.", "Adherence must be appreciable size."},
         false},
        {"adherence 0.999995",
         makeFeature(F::SpeedLimit, 80, 0, 100, true, 0.999995),
         {"Adherence set to unity."},
         true},
        {"adherence 1.5",
         makeFeature(F::SpeedLimit, 80, 0, 100, true, 1.5),
         {"Adherence set to unity."},
         true},
        {"adherence 0.99999", makeFeature(F::SpeedLimit, 80, 0, 100, true, 0.99999), {}, true},
        {"gradient 15", makeFeature(F::Gradient, 15, 0, 100), {}, true},
        {"gradient 16",
         makeFeature(F::Gradient, 16, 0, 100),
         {"Gradient specified is greater than the maximum of 15%."},
         false},
        {"gradient -40", makeFeature(F::Gradient, -40, 0, 100), {}, true},
        {"speed limit 10", makeFeature(F::SpeedLimit, 10, 0, 100), {}, true},
        {"speed limit 9",
         makeFeature(F::SpeedLimit, 9, 0, 100),
         {"Speed limit specified is smaller than the minimum of 10 km/h."},
         false},
        {"speed limit 200", makeFeature(F::SpeedLimit, 200, 0, 100), {}, true},
        {"speed limit 201",
         makeFeature(F::SpeedLimit, 201, 0, 100),
         {"Speed limit specified is greater than the maximum of 200 km/h."},
         false},
        {"obstacle lane 2", makeFeature(F::Obstacle, 2, 500, 600), {}, true},
        {"obstacle lane 1.5",
         makeFeature(F::Obstacle, 1.5, 500, 600),
         {"Fractions of lanes do not exist."},
         false},
        {"obstacle lane 0",
         makeFeature(F::Obstacle, 0, 500, 600),
         {"Must be in a lane numbered 1 or above."},
         false},
        {"obstacle lane 0.5",
         makeFeature(F::Obstacle, 0.5, 500, 600),
         {"Fractions of lanes do not exist.", "Must be in a lane numbered 1 or above."},
         false},
        {"obstacle lane 3 positive", makeFeature(F::Obstacle, 3, 500, 600), {}, true},
        {"obstacle lane 4 positive",
         makeFeature(F::Obstacle, 4, 500, 600),
         {"Lane is greater than the number of lanes in positive direction."},
         false},
        {"obstacle lane 3 negative",
         makeFeature(F::Obstacle, 3, 500, 600, false),
         {"Lane is greater than the number of lanes in negative direction."},
         false},
        {"obstacle lane not a number",
         makeFeature(F::Obstacle, std::numeric_limits<double>::quiet_NaN(), 500, 600),
         {"Fractions of lanes do not exist."},
         false},
        {"obstacle at the positive entrance",
         makeFeature(F::Obstacle, 1, 20, 60),
         {"Obstacle too close to the road entrance: it closes the lane to arrivals."},
         false},
        {"obstacle at the negative entrance",
         makeFeature(F::Obstacle, 1, 2900, 2990, false),
         {"Obstacle too close to the road entrance: it closes the lane to arrivals."},
         false},
        {"politeness 2", makeFeature(F::Politeness, 2, 0, 100), {}, true},
        {"politeness 2.1",
         makeFeature(F::Politeness, 2.1, 0, 100),
         {"Politeness value very high (> 2.0)."},
         false},
        {"politeness -2.1",
         makeFeature(F::Politeness, -2.1, 0, 100),
         {"Politeness value very low (< -2.0)."},
         false},
        {"bias -2", makeFeature(F::Bias, -2, 0, 100), {}, true},
        {"bias 2.1", makeFeature(F::Bias, 2.1, 0, 100), {"Bias value very high (> 2.0)."}, false},
        {"bias -2.1", makeFeature(F::Bias, -2.1, 0, 100), {"Bias value very low (< -2.0)."}, false},
        {"gap control 5", makeFeature(F::GapControl, 5, 0, 100), {}, true},
        {"gap control 501",
         makeFeature(F::GapControl, 501, 0, 100),
         {"Gap control value very high (> 500 m)."},
         false},
        {"gap control 4",
         makeFeature(F::GapControl, 4, 0, 100),
         {"Gap control value very low (< 5 m)."},
         false},
        {"lane change ban", makeFeature(F::LaneChangeBan, 99, 0, 100), {}, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        doc.m_vRoadFeatures = {row.feature};
        EXPECT_EQ(validator().checkFeatures(), row.ok);
        EXPECT_EQ(report(), under("Feature 1 - F", row.messages));
    }
}

TEST_F(ValidationTest, ObstacleWithoutLaneChangingWouldNeverLetTheRunEnd) {
    doc.m_AllowLaneChanging = false;
    doc.m_vRoadFeatures = {makeFeature(CRoadFeature::Obstacle, 1, 500, 600)};
    EXPECT_FALSE(validator().checkFeatures());
    const std::vector<std::string> lines = report();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], under("Feature 1 - F", {"Obstacles need lane changing: without it the "
                                                "lane is closed for good."})[0]);
}

TEST_F(ValidationTest, FeatureRepairsAreWrittenToTheDocument) {
    doc.m_vRoadFeatures = {makeFeature(CRoadFeature::SpeedLimit, 80, 500, 100, true, 0.999995)};
    const int refreshes = host.refreshes.load();
    EXPECT_TRUE(validator().checkFeatures());
    EXPECT_EQ(report(),
              under("Feature 1 - F", {"Swapped start and end.", "Adherence set to unity."}));
    EXPECT_EQ(doc.m_vRoadFeatures[0].getStart(), 100);
    EXPECT_EQ(doc.m_vRoadFeatures[0].getEnd(), 500);
    EXPECT_EQ(doc.m_vRoadFeatures[0].getAdherence(), 1.0);
    EXPECT_GT(host.refreshes.load(), refreshes);
    // Repairs are not edits: only the lane totals ask for a new save.
    EXPECT_FALSE(doc.isModified());
    EXPECT_TRUE(validator().checkFeatures());
    EXPECT_TRUE(report().empty());
}

TEST_F(ValidationTest, FeatureFindingsComeInCheckOrder) {
    doc.m_vRoadFeatures = {makeFeature(CRoadFeature::SpeedLimit, 5, 3100, 3050, true, 0.005)};
    EXPECT_FALSE(validator().checkFeatures());
    EXPECT_EQ(report(),
              under("Feature 1 - F",
                    {"Swapped start and end.", "Starts outside the defined road.",
                     "Ends outside the defined road.", "Adherence must be appreciable size.",
                     "Speed limit specified is smaller than the minimum of 10 km/h."}));
}

TEST_F(ValidationTest, FeatureOverlapsAndClosures) {
    struct Row {
        const char* name;
        std::vector<CRoadFeature> features;
        Lines features_lines;
    };
    using F = CRoadFeature;
    setRoadLanes(2, 1);
    const std::string overlap12 =
        "Feature 1 overlaps with Feature 2 - change start and end points.";
    const std::string overlap21 =
        "Feature 2 overlaps with Feature 1 - change start and end points.";
    const std::vector<Row> rows = {
        {"speed limits overlapping",
         {makeFeature(F::SpeedLimit, 80, 100, 300), makeFeature(F::SpeedLimit, 80, 200, 400)},
         {overlap12}},
        {"speed limits in opposite directions",
         {makeFeature(F::SpeedLimit, 80, 100, 300),
          makeFeature(F::SpeedLimit, 80, 200, 400, false)},
         {}},
        {"speed limits touching",
         {makeFeature(F::SpeedLimit, 80, 100, 300), makeFeature(F::SpeedLimit, 80, 300, 500)},
         {}},
        {"one inside the other",
         {makeFeature(F::SpeedLimit, 80, 100, 500), makeFeature(F::SpeedLimit, 80, 200, 300)},
         {overlap12, overlap21}},
        {"different types",
         {makeFeature(F::SpeedLimit, 80, 100, 300), makeFeature(F::Bias, 1, 100, 300)},
         {}},
        {"an earlier feature is compared after its swap",
         {makeFeature(F::Bias, 1, 300, 100), makeFeature(F::Bias, 1, 200, 400)},
         {overlap12}},
        {"obstacles within 20 m close a two-lane direction",
         {makeFeature(F::Obstacle, 1, 100, 120), makeFeature(F::Obstacle, 2, 130, 150)},
         {"Total positive direction closure identified at Feature 1 - change obstacle "
          "positions."}},
        {"obstacles 25 m apart",
         {makeFeature(F::Obstacle, 1, 100, 120), makeFeature(F::Obstacle, 2, 145, 170)},
         {}},
        {"one obstacle on a one-lane direction",
         {makeFeature(F::Obstacle, 1, 100, 120, false)},
         {"Total negative direction closure identified at Feature 1 - change obstacle "
          "positions."}},
        {"obstacles in opposite directions",
         {makeFeature(F::Obstacle, 1, 100, 120), makeFeature(F::Obstacle, 1, 2000, 2020, false)},
         {"Total negative direction closure identified at Feature 2 - change obstacle "
          "positions."}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        doc.m_vRoadFeatures = row.features;
        Lines compared;
        EXPECT_EQ(validator().checkFeatures(), row.features_lines.empty());
        for (const std::string& line : report())
            if (line.rfind("Features| ", 0) == 0)
                compared.push_back(line.substr(10));
        EXPECT_EQ(compared, row.features_lines);
    }
}

// Each feature's comparisons follow its own checks.
TEST_F(ValidationTest, FeatureComparisonsFollowEachFeaturesOwnChecks) {
    doc.m_vRoadFeatures = {makeFeature(CRoadFeature::SpeedLimit, 80, 310, 100),
                           makeFeature(CRoadFeature::SpeedLimit, 80, 200, 210)};
    doc.m_vRoadFeatures[1].setDescription("G");
    EXPECT_FALSE(validator().checkFeatures());
    EXPECT_EQ(report(),
              (Lines{"Feature 1 - F| Swapped start and end.",
                     "Features| Feature 1 overlaps with Feature 2 - change start and end points.",
                     "Feature 2 - G| Length less than minimum (20 m).",
                     "Features| Feature 2 overlaps with Feature 1 - change start and end "
                     "points."}));
}

// --- Detectors -----------------------------------------------------------------------------

CStatDetector makeDetector(int kind, int a, int b = 0, int c = 0, int interval = 60) {
    CStatDetector detector;
    detector.setDescription("D");
    detector.setDetectorName(kind);
    detector.setParamA(a);
    detector.setParamB(b);
    detector.setParamC(c);
    detector.setTimeInterval(interval);
    return detector;
}

TEST_F(ValidationTest, DetectorChecks) {
    struct Row {
        const char* name;
        CStatDetector detector;
        Lines messages;
        bool ok;
    };
    const std::string small = "The time interval is very small and may cause problems.";
    const std::vector<Row> rows = {
        {"point at 1000", makeDetector(DETECTOR_FLOW_DENSITY, 1000), {}, true},
        {"point at the road end", makeDetector(DETECTOR_HEADWAY, 3000), {}, true},
        {"point beyond the road",
         makeDetector(DETECTOR_COMPOSITION, 3001),
         {"Located outside the road length."},
         false},
        {"point before the road",
         makeDetector(DETECTOR_OUTPUT, -1),
         {"Located outside the road length."},
         false},
        {"segment", makeDetector(DETECTOR_MACRO_SEGMENT, 1000, 1500), {}, true},
        {"segment entered backwards",
         makeDetector(DETECTOR_MICRO_SEGMENT, 1500, 1000),
         {"Swapped start and end."},
         true},
        {"segment starting before the road",
         makeDetector(DETECTOR_OCCUPANCY, -5, 100),
         {"Starts outside the defined road."},
         false},
        {"segment ending beyond the road",
         makeDetector(DETECTOR_OCCUPANCY, 2000, 3100),
         {"Ends outside the defined road."},
         false},
        {"array", makeDetector(DETECTOR_ST_DENSITY, 0, 400, 1000), {}, true},
        {"array entered backwards",
         makeDetector(DETECTOR_ST_SMS, 1000, 400, 0),
         {"Swapped start and end."},
         true},
        {"array beyond the road",
         makeDetector(DETECTOR_ST_SMS, 3100, 400, 3200),
         {"Starts outside the defined road.", "Ends outside the defined road."},
         false},
        {"array spacing longer than the road",
         makeDetector(DETECTOR_ST_DENSITY, 0, 3001, 1000),
         {"Interval greater than the road length."},
         false},
        {"array spacing 0",
         makeDetector(DETECTOR_ST_DENSITY, 0, 0, 1000),
         {"Interval between positions must be positive."},
         false},
        {"array spacing negative",
         makeDetector(DETECTOR_ST_SMS, 0, -100, 1000),
         {"Interval between positions must be positive."},
         false},
        {"lane change bins 1000", makeDetector(DETECTOR_LANE_CHANGES, 1000), {}, true},
        {"lane change bins 1001",
         makeDetector(DETECTOR_LANE_CHANGES, 1001),
         {"The lane change detector step is very large."},
         false},
        {"lane change bins 0",
         makeDetector(DETECTOR_LANE_CHANGES, 0),
         {"The lane change detector step must be positive."},
         false},
        {"lane change bins negative",
         makeDetector(DETECTOR_LANE_CHANGES, -50),
         {"The lane change detector step must be positive."},
         false},
        {"interval 10", makeDetector(DETECTOR_FLOW_DENSITY, 1000, 0, 0, 10), {}, true},
        {"interval 5", makeDetector(DETECTOR_FLOW_DENSITY, 1000, 0, 0, 5), {small}, true},
        {"interval 2", makeDetector(DETECTOR_FLOW_DENSITY, 1000, 0, 0, 2), {small}, true},
        {"interval 1", makeDetector(DETECTOR_FLOW_DENSITY, 1000, 0, 0, 1), {small, small}, false},
        {"interval 0",
         makeDetector(DETECTOR_FLOW_DENSITY, 1000, 0, 0, 0),
         {"Time interval must be positive.", small, small},
         false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        doc.m_vStatDetectors = {row.detector};
        EXPECT_EQ(validator().checkDetectors(), row.ok);
        EXPECT_EQ(report(), under("Detector 1 - D", row.messages));
    }
}

// A space-time detector holds a value per lane and position in every row it writes, a lane
// change detector one per location bin.
TEST_F(ValidationTest, DetectorPositionsAndBinsAreBounded) {
    struct Row {
        const char* name;
        CStatDetector detector;
        Lines messages;
        bool ok;
    };
    const std::vector<Row> rows = {
        {"10000 positions", makeDetector(DETECTOR_ST_DENSITY, 0, 1, 9999), {}, true},
        {"10001 positions",
         makeDetector(DETECTOR_ST_DENSITY, 0, 1, 10000),
         {"Too many positions: 10001 (at most 10000)."},
         false},
        {"10001 positions entered backwards",
         makeDetector(DETECTOR_ST_SMS, 10000, 1, 0),
         {"Swapped start and end.", "Too many positions: 10001 (at most 10000)."},
         false},
        {"5001 bins", makeDetector(DETECTOR_LANE_CHANGES, 2), {}, true},
        {"10001 bins",
         makeDetector(DETECTOR_LANE_CHANGES, 1),
         {"Too many location bins: 10001 (at most 10000)."},
         false},
    };
    doc.m_RoadLength = 10000;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        doc.m_vStatDetectors = {row.detector};
        EXPECT_EQ(validator().checkDetectors(), row.ok);
        EXPECT_EQ(report(), under("Detector 1 - D", row.messages));
    }
}

TEST_F(ValidationTest, DetectorSwapsAreWrittenToTheDocument) {
    doc.m_vStatDetectors = {makeDetector(DETECTOR_MACRO_SEGMENT, 1500, 1000),
                            makeDetector(DETECTOR_ST_DENSITY, 1000, 400, 0)};
    EXPECT_TRUE(validator().checkDetectors());
    EXPECT_EQ(report(), (Lines{"Detector 1 - D| Swapped start and end.",
                               "Detector 2 - D| Swapped start and end."}));
    const CStatDetector& segment = doc.m_vStatDetectors[0];
    EXPECT_EQ(segment.getParamA(), 1000);
    EXPECT_EQ(segment.getParamB(), 1500);
    const CStatDetector& array = doc.m_vStatDetectors[1];
    EXPECT_EQ(array.getParamA(), 0);
    EXPECT_EQ(array.getParamB(), 400);
    EXPECT_EQ(array.getParamC(), 1000);
}

// --- Bridges and load effects ------------------------------------------------------------------

class BridgeValidationTest : public ValidationTest {
protected:
    // A bridge from 500 to 1000 m with one load effect over both lanes and the time history
    // selected, which passes.
    BridgeValidationTest() {
        CBridge& added = doc.addBridge();
        added.setDescription("B");
        added.EventManager().setAll(true);
        added.GetLoadEffects()[0]->setDescription("LE");
        doc.setModified(false);
    }

    CBridge& bridge() { return doc.m_vBridges[0]; }
    CLoadEffect& loadEffect() { return *bridge().GetLoadEffects()[0]; }
    static constexpr const char* label = "Bridge 1 - B";
    static constexpr const char* effectLabel = "Bridge 1 - B| Load Effect 1 - LE";
};

TEST_F(BridgeValidationTest, BridgeChecks) {
    struct Row {
        const char* name;
        std::function<void(CBridge&)> change;
        Lines lines;
        bool ok;
    };
    const std::string large = "Bridge calculation time step too large (> 0.5 s) - change "
                              "overall simulation step or the number of bridge sub-steps.";
    const std::string tooSmall = "Bridge calculation time step too small (< 0.005 s) - change "
                                 "overall simulation step or the number of bridge sub-steps.";
    const std::string smallBlock = "Very small blocksize (< 5 mins)";
    const std::string count = "No. of specified thresholds and no. of load effects differ";
    const auto bridgeLines = [](const Lines& messages) { return under(label, messages); };
    const std::vector<Row> rows = {
        {"clean", [](CBridge&) {}, {}, true},
        {"entered backwards",
         [](CBridge& b) {
             b.SetStart(1000);
             b.SetEnd(500);
         },
         bridgeLines({"Swapped start and end."}), true},
        {"starts before the road", [](CBridge& b) { b.SetStart(-10); },
         bridgeLines({"Starts outside the defined road."}), false},
        {"ends beyond the road", [](CBridge& b) { b.SetEnd(3000.5); },
         bridgeLines({"Ends outside the defined road."}), false},
        {"shorter than 1 m", [](CBridge& b) { b.SetEnd(500.5); },
         bridgeLines({"Length too small (< 1 m)."}), false},
        {"1 m long", [](CBridge& b) { b.SetEnd(501); }, {}, true},
        {"lane count differs", [](CBridge& b) { b.SetNoLanes(3); },
         bridgeLines({"No. of lanes on road different to that of the bridge: fixed bridge lanes "
                      "- check IL lane weights."}),
         false},
        {"no load effects", [](CBridge& b) { b.DeleteLoadEffect(0); },
         bridgeLines({"Has no load effects."}), false},
        {"no sub-steps", [](CBridge& b) { b.SetStepsPerSimStep(0); },
         bridgeLines({"No. of simulation substeps less than 1, so set to 1"}), true},
        {"10 sub-steps", [](CBridge& b) { b.SetStepsPerSimStep(10); }, {}, true},
        {"25 sub-steps", [](CBridge& b) { b.SetStepsPerSimStep(25); }, bridgeLines({tooSmall}),
         false},
        {"no output", [](CBridge& b) { b.EventManager().setAll(false); },
         bridgeLines({"No output selected for the bridge - choose at least one of the output "
                      "types"}),
         false},
        {"statistics only",
         [](CBridge& b) {
             b.EventManager().setAll(false);
             b.EventManager().setStatsBasic(true);
         },
         {},
         true},
        {"block maxima of 5 minutes",
         [](CBridge& b) { b.EventManager().setBlockMaxSize(300); },
         {},
         true},
        {"block maxima of 299 s", [](CBridge& b) { b.EventManager().setBlockMaxSize(299); },
         bridgeLines({smallBlock}), true},
        {"block maxima of 0.5 s", [](CBridge& b) { b.EventManager().setBlockMaxSize(0.5); },
         bridgeLines({smallBlock, "Block size too small (< 1 s)"}), false},
        {"block maxima over a day", [](CBridge& b) { b.EventManager().setBlockMaxSize(86401); },
         bridgeLines({"Large blocksize (> 1 day)"}), true},
        {"block minima of 0.5 s and over a day",
         [](CBridge& b) {
             b.EventManager().setBlockMinSize(0.5);
             b.EventManager().setBlockMaxSize(90000);
         },
         bridgeLines({"Large blocksize (> 1 day)", smallBlock, "Block size too small (< 1 s)"}),
         false},
        {"block size unused when not selected",
         [](CBridge& b) {
             b.EventManager().setBlockMaxSize(0.5);
             b.EventManager().setBMax(false);
         },
         {},
         true},
        {"threshold over positive",
         [](CBridge& b) { b.EventManager().setThreshOver(0, 100.0); },
         {},
         true},
        {"threshold over zero", [](CBridge& b) { b.EventManager().setThreshOver(0, 0.0); },
         bridgeLines({"Negative or zero threshold set for load effect 1."}), true},
        {"threshold under negative",
         [](CBridge& b) { b.EventManager().setThreshUnder(0, -100.0); },
         {},
         true},
        {"threshold under zero", [](CBridge& b) { b.EventManager().setThreshUnder(0, 0.0); },
         bridgeLines({"Positive or zero threshold set for load effect 1."}), true},
        {"thresholds unused when not selected",
         [](CBridge& b) {
             b.EventManager().setThreshOver(0, 0.0);
             b.EventManager().setPOT(false);
         },
         {},
         true},
        {"threshold counts differ",
         [](CBridge& b) {
             // The outputs of a bridge with two load effects on a bridge with one.
             CBridge two(2, 3000, 2, 500, 1000);
             two.AddLoadEffect({1.0, 1.0});
             two.EventManager().setThreshOver(0, 50.0);
             two.EventManager().setThreshOver(1, 50.0);
             two.EventManager().setThreshUnder(0, -50.0);
             two.EventManager().setThreshUnder(1, -50.0);
             b.EventManager() = two.EventManager();
         },
         bridgeLines({count, count}), false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        doc.m_vBridges.clear();
        CBridge& added = doc.addBridge();
        added.setDescription("B");
        added.EventManager().setAll(true);
        added.GetLoadEffects()[0]->setDescription("LE");
        row.change(added);
        EXPECT_EQ(validator().checkBridges(), row.ok);
        EXPECT_EQ(report(), row.lines);
    }
}

TEST_F(BridgeValidationTest, LoadEffectsAndSubStepsAreBounded) {
    for (int i = 1; i < 1000; ++i)
        bridge().AddLoadEffect({1.0, 1.0});
    for (const auto& effect : bridge().GetLoadEffects())
        effect->SetDefaultFunction();
    EXPECT_TRUE(validator().checkBridges());
    EXPECT_EQ(report(), Lines{});

    bridge().AddLoadEffect({1.0, 1.0});
    bridge().GetLoadEffects().back()->SetDefaultFunction();
    EXPECT_FALSE(validator().checkBridges());
    EXPECT_EQ(report(), under(label, {"Too many load effects: 1001 (at most 1000)."}));

    doc.m_vBridges.clear();
    CBridge& other = doc.addBridge();
    other.setDescription("B");
    other.EventManager().setAll(true);
    other.SetStepsPerSimStep(1001);
    doc.m_SimTimeStep = 1.0;
    EXPECT_FALSE(validator().checkBridges());
    EXPECT_EQ(report(),
              under(label, {"Too many simulation substeps: 1001 (at most 1000).",
                            "Bridge calculation time step too small (< 0.005 s) - change overall "
                            "simulation step or the number of bridge sub-steps."}));
}

// A lane count past its bound is refused, never handed to the load effects: a billion lanes
// would be a billion weights in each.
TEST_F(BridgeValidationTest, LaneCountsPastTheirBoundAreNotRepairedIntoTheBridges) {
    doc.m_NoLanesDirPos = 1000000000;
    EXPECT_FALSE(validator().validate());
    EXPECT_EQ(doc.m_NoLanes, 2);
    EXPECT_EQ(bridge().GetNoLanes(), 2);
    EXPECT_EQ(loadEffect().LaneWeights().size(), 2u);

    doc.m_NoLanes = 1000000000;
    EXPECT_FALSE(validator().checkBridges());
    EXPECT_EQ(bridge().GetNoLanes(), 2);
    EXPECT_EQ(loadEffect().LaneWeights().size(), 2u);
}

TEST_F(BridgeValidationTest, TheSubStepFollowsTheSimulationStep) {
    struct Row {
        double timeStep;
        unsigned subSteps;
        bool ok;
    };
    const Row rows[] = {{0.5, 1, true},  {0.6, 1, false},  {1.0, 2, true},
                        {0.1, 10, true}, {0.1, 21, false}, {0.04, 10, false}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.subSteps);
        doc.m_SimTimeStep = row.timeStep;
        bridge().SetStepsPerSimStep(row.subSteps);
        EXPECT_EQ(validator().checkBridges(), row.ok);
        report();
    }
}

TEST_F(BridgeValidationTest, BridgeRepairsAreWrittenToTheDocument) {
    bridge().SetStart(1000);
    bridge().SetEnd(600);
    bridge().SetNoLanes(4);
    bridge().SetStepsPerSimStep(0);
    loadEffect().LaneWeights() = {0.5, 0.7, 1.0, 1.0};
    EXPECT_FALSE(validator().checkBridges());
    EXPECT_EQ(report(),
              (Lines{"Bridge 1 - B| Swapped start and end.",
                     "Bridge 1 - B| No. of lanes on road different to that of the bridge: fixed "
                     "bridge lanes - check IL lane weights.",
                     "Bridge 1 - B| No. of simulation substeps less than 1, so set to 1"}));
    EXPECT_EQ(bridge().GetStart(), 600);
    EXPECT_EQ(bridge().GetEnd(), 1000);
    EXPECT_EQ(bridge().GetSpanLength(), 400);
    EXPECT_EQ(bridge().ZoneStart(false), 2000);
    EXPECT_EQ(bridge().ZoneEnd(false), 2400);
    EXPECT_EQ(bridge().GetNoLanes(), 2);
    EXPECT_EQ(loadEffect().LaneWeights(), (std::vector<double>{0.5, 0.7}));
    EXPECT_EQ(bridge().GetStepsPerSimStep(), 1u);
    // The load effect now spans the bridge as it stands.
    EXPECT_EQ(loadEffect().GetBridgeStart(), 600);
    EXPECT_EQ(loadEffect().GetBridgeEnd(), 1000);
    EXPECT_EQ(loadEffect().GetInfLine()->GetLength(), 400);

    EXPECT_TRUE(validator().checkBridges());
    EXPECT_TRUE(report().empty());
}

TEST_F(BridgeValidationTest, LoadEffectChecks) {
    struct Row {
        const char* name;
        std::function<void(CTarloDoc&, CLoadEffect&)> change;
        Lines messages;
        bool ok;
    };
    const std::vector<Row> rows = {
        {"clean", [](CTarloDoc&, CLoadEffect&) {}, {}, true},
        {"one weight too many",
         [](CTarloDoc&, CLoadEffect& le) { le.LaneWeights().push_back(1); },
         {"Does not have the same number of lanes as the road."},
         false},
        {"one weight short",
         [](CTarloDoc&, CLoadEffect& le) { le.LaneWeights().pop_back(); },
         {"Does not have the same number of lanes as the road."},
         false},
        {"zero weight on the first lane",
         [](CTarloDoc&, CLoadEffect& le) { le.LaneWeights()[0] = 0.0; },
         {"Lane Weight 0| Has zero weight"},
         true},
        {"weights beyond unity",
         [](CTarloDoc&, CLoadEffect& le) {
             le.LaneWeights() = {1.5, -1.5};
         },
         {"Lane Weight 0| Has a weight greater than 1.0",
          "Lane Weight 1| Has a weight less than -1.0"},
         true},
        {"weights of exactly one",
         [](CTarloDoc&, CLoadEffect& le) {
             le.LaneWeights() = {1, -1};
         },
         {},
         true},
        {"discrete line never picked",
         [](CTarloDoc&, CLoadEffect& le) { le.SetILType("Discrete"); },
         {"No influence line assigned"},
         false},
        {"discrete line shorter than the bridge",
         [](CTarloDoc& d, CLoadEffect& le) { le.SetInfLine(d.addInfluenceLine()); },
         {"Influence line and bridge length different."},
         true},
        {"discrete line as long as the bridge",
         [](CTarloDoc& d, CLoadEffect& le) {
             CInfLineDiscrete& line = d.addInfluenceLine();
             line.SetPoints({0, 250, 500}, {0, 1, 0});
             le.SetInfLine(line);
         },
         {},
         true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        doc.m_vInfLines.clear();
        doc.m_vBridges.clear();
        CBridge& added = doc.addBridge();
        added.setDescription("B");
        added.EventManager().setAll(true);
        added.GetLoadEffects()[0]->setDescription("LE");
        row.change(doc, *added.GetLoadEffects()[0]);
        EXPECT_EQ(validator().checkBridges(), row.ok);
        EXPECT_EQ(report(), under(effectLabel, row.messages));
    }
}

// A built-in line is stretched over the bridge as it stands; a discrete line keeps its own
// length.
TEST_F(BridgeValidationTest, LoadEffectsTakeTheBridgeExtent) {
    bridge().SetStart(700);
    EXPECT_TRUE(validator().checkBridges());
    EXPECT_TRUE(report().empty());
    EXPECT_EQ(loadEffect().GetBridgeStart(), 700);
    EXPECT_EQ(loadEffect().GetSpanLength(), 300);
    EXPECT_EQ(loadEffect().GetInfLine()->GetType(), CInfluenceLine::IL_FUNCTION);
    EXPECT_EQ(loadEffect().GetInfLine()->GetLength(), 300);
}

TEST_F(BridgeValidationTest, BridgeFindingsComeInCheckOrder) {
    bridge().SetStart(1000);
    bridge().SetEnd(500);
    bridge().AddLoadEffect({0.0, 1.0});
    bridge().GetLoadEffects()[1]->setDescription("LE2");
    bridge().GetLoadEffects()[1]->SetILType("Discrete");
    bridge().SetStepsPerSimStep(0);
    bridge().EventManager().setAll(false);
    bridge().EventManager().setBlockMaxSize(10);
    bridge().EventManager().setThreshUnder(0, 1.0);
    EXPECT_FALSE(validator().checkBridges());
    EXPECT_EQ(report(), (Lines{"Bridge 1 - B| Swapped start and end.",
                               "Bridge 1 - B| Load Effect 2 - LE2| Lane Weight 0| Has zero weight",
                               "Bridge 1 - B| Load Effect 2 - LE2| No influence line assigned",
                               "Bridge 1 - B| No. of simulation substeps less than 1, so set to 1",
                               "Bridge 1 - B| Very small blocksize (< 5 mins)",
                               "Bridge 1 - B| Positive or zero threshold set for load effect 1.",
                               "Bridge 1 - B| Positive or zero threshold set for load effect 2."}));
}

TEST_F(BridgeValidationTest, BridgesAreNumberedInTheirList) {
    doc.addBridge().setDescription("Second");
    doc.m_vBridges[1].EventManager().setAll(true);
    doc.m_vBridges[1].SetEnd(500.5);
    EXPECT_FALSE(validator().checkBridges());
    EXPECT_EQ(report(), (Lines{"Bridge 2 - Second| Length too small (< 1 m)."}));
}

// Vehicles join a bridge's list when their front crosses the buffer before it and leave when
// it is the buffer past it; the road removes them 10 m past its end.
TEST_F(BridgeValidationTest, BridgeZonesAgainstTheRoadEnds) {
    struct Row {
        const char* name;
        double buffer, start, end;
        int lanesPos, lanesNeg;
        Lines messages;
    };
    const std::string posEntry = "Direction positive: bridge starts within the bridge-on buffer "
                                 "of the road entrance - vehicles of this direction are not "
                                 "counted on it.";
    const std::string negEntry = "Direction negative: bridge starts within the bridge-on buffer "
                                 "of the road entrance - vehicles of this direction are not "
                                 "counted on it.";
    const std::string posExit = "Direction positive: bridge zone reaches beyond the road end "
                                "(length + 10 m) - vehicles leave the bridge where they leave "
                                "the road.";
    const std::string negExit = "Direction negative: bridge zone reaches beyond the road end "
                                "(length + 10 m) - vehicles leave the bridge where they leave "
                                "the road.";
    const std::vector<Row> rows = {
        {"well inside", 10, 500, 1000, 1, 1, {}},
        {"just clear of the entrance", 10, 10.5, 2989.5, 1, 1, {}},
        {"at the positive entrance", 10, 10, 1000, 1, 1, {posEntry}},
        {"at the negative entrance", 10, 500, 2990, 1, 1, {negEntry}},
        {"whole road", 10, 0, 3000, 1, 1, {posEntry, negEntry}},
        {"one direction only", 10, 0, 3000, 1, 0, {posEntry}},
        {"large buffer", 30, 2980, 3000, 1, 1, {posExit, negEntry}},
        {"large buffer at the start", 30, 0, 15, 1, 1, {posEntry, negExit}},
        {"buffer reaching the removal point exactly", 20, 100, 2990, 1, 1, {negEntry}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        settings.Road.BRIDGE_ON_BUFFER = row.buffer;
        setRoadLanes(row.lanesPos, row.lanesNeg);
        bridge().SetStart(row.start);
        bridge().SetEnd(row.end);
        loadEffect().LaneWeights().assign(static_cast<std::size_t>(doc.m_NoLanes), 1.0);
        EXPECT_TRUE(validator().checkBridges());
        EXPECT_EQ(report(), under(label, row.messages));
    }
}

// A bridge keeps the road length it was made with; the negative direction finds it through
// that length, so the pass puts it on the road as it is now.
TEST_F(BridgeValidationTest, TheBridgeTakesTheRoadLength) {
    doc.m_RoadLength = 2000;
    EXPECT_TRUE(validator().checkBridges());
    EXPECT_TRUE(report().empty());
    EXPECT_EQ(bridge().ZoneStart(false), 1000);
    EXPECT_EQ(bridge().ZoneEnd(false), 1500);
}

// A project file can hold a bridge whose load effect, or a load effect whose influence line,
// is a null pointer; the run would read through it.
TEST_F(BridgeValidationTest, MissingPointersFromAProjectFileAreRefused) {
    struct Row {
        const char* name;
        // The start of the element that is replaced by a null pointer, and its last closing
        // tag before the pointer's own.
        const char* owner;
        const char* lastInner;
        std::string message;
    };
    const std::vector<Row> rows = {
        {"load effect without influence line", "<m_pInfLine", nullptr,
         std::string(effectLabel) + "| No influence line assigned"},
        {"missing load effect", "<m_vLoadEffect", "</m_pInfLine>",
         std::string(label) + "| Load Effect 1 is missing."},
    };
    const std::string path = dir.file("pointers.tlp");
    ASSERT_TRUE(doc.save(path));
    std::string saved;
    {
        std::ifstream in(path, std::ios::binary);
        saved.assign(std::istreambuf_iterator<char>(in), {});
    }
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::size_t owner = saved.find(row.owner);
        ASSERT_NE(owner, std::string::npos);
        const std::size_t from = saved.find("<px ", owner);
        const std::size_t inner = row.lastInner ? saved.find(row.lastInner, from) : from;
        const std::size_t to = saved.find("</px>", inner) + 5;
        const std::string edited =
            saved.substr(0, from) + "<px class_id=\"-1\"></px>" + saved.substr(to);
        std::ofstream(path, std::ios::binary) << edited;
        ASSERT_TRUE(doc.open(path));

        EXPECT_FALSE(validator().checkBridges());
        EXPECT_EQ(report(), (Lines{row.message}));
    }
}

// --- Influence lines and discrete distributions --------------------------------------------

TEST_F(ValidationTest, InfluenceLineChecks) {
    struct Row {
        const char* name;
        std::vector<double> distances, ordinates;
        Lines messages;
    };
    const std::vector<Row> rows = {
        {"ascending", {0, 10, 20}, {0, 1, 0}, {}},
        {"repeated distance",
         {0, 10, 10},
         {0, 1, 0},
         {"Distance not in ascending order at row 3."}},
        {"descending",
         {0, 20, 10, 30},
         {1, 1, 1, 1},
         {"Distance not in ascending order at row 3."}},
        {"different lengths",
         {0, 10, 20},
         {0, 1},
         {"Distance and ordinate vectors different lengths."}},
        {"two zero rows",
         {0, 0, 10},
         {0, 0, 1},
         {"Multiple zero entries in distance and ordinate vectors",
          "Distance not in ascending order at row 2."}},
        {"negative distance",
         {-5, 0, 10},
         {1, 1, 1},
         {"Distance < 0 at row 1.", "Distance not in ascending order at row 1."}},
        {"no points", {}, {}, {"No influence line assigned"}},
        {"no ordinates",
         {0, 10},
         {},
         {"Distance and ordinate vectors different lengths.", "No influence line assigned"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        doc.m_vInfLines.clear();
        doc.addInfluenceLine().SetPoints(row.distances, row.ordinates);
        EXPECT_EQ(validator().checkInfluenceLines(), row.messages.empty());
        EXPECT_EQ(report(), under("Influence Line 1 - New IL No. 1", row.messages));
    }
}

// Ten million rows are refused; the rows here are ascending so that only the lengths speak.
TEST_F(ValidationTest, InfluenceLinesAndDistributionsAreBoundedInPoints) {
    std::vector<double> rows(10000001);
    std::iota(rows.begin(), rows.end(), 1.0);
    const std::string tooMany = "Too many points: 10000001 (at most 10000000).";

    doc.m_vInfLines.clear();
    doc.addInfluenceLine().SetPoints(rows, {});
    EXPECT_FALSE(validator().checkInfluenceLines());
    EXPECT_EQ(report(), under("Influence Line 1 - New IL No. 1",
                              {"Distance and ordinate vectors different lengths.",
                               "No influence line assigned", tooMany}));
    doc.m_vInfLines.clear();

    doc.m_vDiscreteDists.clear();
    CDiscreteDist& dist = doc.addDiscreteDist();
    dist.setDescription("Dist");
    dist.setData(std::move(rows));
    dist.setPMF({});
    EXPECT_FALSE(validator().checkDiscreteDistributions());
    EXPECT_EQ(report(),
              under("Discrete Distribution 1 - Dist",
                    {"Data and PMF different lengths.", "PMF does not sum to 1.0.", tooMany}));
}

TEST_F(ValidationTest, DiscreteDistributionChecks) {
    struct Row {
        const char* name;
        std::vector<double> data, pmf;
        Lines messages;
    };
    const std::vector<Row> rows = {
        {"valid", {1, 2, 3}, {0.2, 0.3, 0.5}, {}},
        {"sums to 0.9", {1, 2, 3}, {0.2, 0.3, 0.4}, {"PMF does not sum to 1.0."}},
        {"sums to 1.0000005", {1, 2}, {0.5, 0.5000005}, {}},
        {"starts at 0", {0, 1, 2}, {0.2, 0.3, 0.5}, {"Data not in ascending order at row 1."}},
        {"repeated value", {1, 2, 2}, {0.2, 0.3, 0.5}, {"Data not in ascending order at row 3."}},
        {"different lengths", {1, 2, 3}, {0.5, 0.5}, {"Data and PMF different lengths."}},
        {"zero row",
         {0, 1},
         {0, 1},
         {"Data and PMF zero at row 1.", "PMF <= 0 or > 1.0 at row 1.",
          "Data not in ascending order at row 1."}},
        {"probability above one",
         {1, 2},
         {-0.5, 1.5},
         {"PMF <= 0 or > 1.0 at row 1.", "PMF <= 0 or > 1.0 at row 2."}},
        {"negative value",
         {-1, 1},
         {0.5, 0.5},
         {"Data < 0 at row 1.", "Data not in ascending order at row 1."}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        doc.m_vDiscreteDists.clear();
        CDiscreteDist& dist = doc.addDiscreteDist();
        dist.setDescription("Dist");
        dist.setData(row.data);
        dist.setPMF(row.pmf);
        EXPECT_EQ(validator().checkDiscreteDistributions(), row.messages.empty());
        EXPECT_EQ(report(), under("Discrete Distribution 1 - Dist", row.messages));
    }
}

} // namespace
} // namespace tarlo::test
