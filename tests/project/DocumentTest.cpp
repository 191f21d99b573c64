#include "project/CTarloDoc.h"

#include "project/settings/CSettings.h"
#include "support/RecordingHost.h"
#include "support/TrafficFixture.h"
#include "vehicles/CVehicleType.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace tarlo {
namespace {

using test::RecordingHost;
using test::TempDir;
namespace fs = std::filesystem;

std::vector<std::string> descriptions(const auto& elements) {
    std::vector<std::string> names;
    for (const auto& element : elements)
        names.push_back(element.getDescription());
    return names;
}

class DocumentTest : public testing::Test {
protected:
    DocumentTest() {
        doc.setElementTreeListener([this] { ++treeRebuilds; });
    }

    // Clears what the commands so far reported.
    void forget() {
        treeRebuilds = 0;
        host.refreshes = 0;
        host.messages.clear();
        host.outputLines.clear();
        doc.setModified(false);
    }

    CSettings settings;
    RecordingHost host;
    CTarloDoc doc{settings, host};
    int treeRebuilds = 0;
};

TEST_F(DocumentTest, AConstructedDocumentIsEmpty) {
    EXPECT_EQ(doc.m_Version, 6);
    EXPECT_TRUE(doc.m_vRoadFeatures.empty());
    EXPECT_TRUE(doc.m_vStatDetectors.empty());
    EXPECT_TRUE(doc.m_vBridges.empty());
    EXPECT_TRUE(doc.m_bAutoDir);
    EXPECT_FALSE(doc.m_bConstVelocity);
    EXPECT_TRUE(doc.m_bExecuteOnOpen);
    EXPECT_FALSE(doc.runControl().m_bMuteDetectors);
    EXPECT_FALSE(doc.runControl().m_bMuteBridges);
    EXPECT_EQ(doc.getFormatLabels(), (std::vector<std::string>{"CASTOR", "SAFT", "Kirro"}));
}

TEST_F(DocumentTest, NewProjectDefaults) {
    doc.m_RoadLength = 17;
    doc.m_vBridges.emplace_back();
    doc.m_vInfLines.emplace_back();
    doc.runControl().m_bMuteBridges = true;
    doc.setModified();
    doc.newProject();

    EXPECT_EQ(doc.m_FileIn, "Traffic.in");
    EXPECT_EQ(doc.m_MetricsDir, "\\Metrics");
    EXPECT_TRUE(doc.m_bAutoDir);
    EXPECT_FALSE(doc.m_bConstVelocity);
    EXPECT_TRUE(doc.m_DriveOnRight);
    EXPECT_TRUE(doc.m_AllowLaneChanging);
    EXPECT_TRUE(doc.m_OutputCarsToFile);
    EXPECT_TRUE(doc.m_bExecuteOnOpen);
    EXPECT_EQ(doc.m_FileType, 101);
    EXPECT_EQ(doc.m_TrafFileNoLanesDirPos, 1);
    EXPECT_EQ(doc.m_TrafFileNoLanesDirNeg, 1);
    EXPECT_EQ(doc.m_NoLanesDirPos, 2);
    EXPECT_EQ(doc.m_NoLanesDirNeg, 1);
    EXPECT_EQ(doc.m_NoLanes, 3);
    EXPECT_EQ(doc.m_NoDirections, 2);
    EXPECT_EQ(doc.m_RoadLength, 3000);
    EXPECT_EQ(doc.m_SimTimeStep, 0.25);
    EXPECT_EQ(doc.m_Version, 6);
    EXPECT_TRUE(doc.m_vDiscreteDists.empty());
    EXPECT_TRUE(doc.m_vBridges.empty());
    EXPECT_TRUE(doc.m_vInfLines.empty());
    ASSERT_TRUE(doc.m_pVehicleTypes);
    EXPECT_EQ(doc.m_pVehicleTypes->size(), 6u);
    EXPECT_FALSE(doc.runControl().m_bMuteBridges);

    ASSERT_EQ(doc.m_vRoadFeatures.size(), 1u);
    const CRoadFeature& feature = doc.m_vRoadFeatures[0];
    EXPECT_EQ(feature.getDescription(), "Feature");
    EXPECT_EQ(feature.typeLabel(feature.getType()), "Speed Limit");
    EXPECT_EQ(feature.getValue(), 120.0);
    EXPECT_EQ(feature.getStart(), 0);
    EXPECT_EQ(feature.getEnd(), 1000);
    EXPECT_TRUE(feature.getDirPos());
    EXPECT_EQ(feature.vehicleLabel(feature.getFeatVehType()), "All Vehicles");
    EXPECT_EQ(feature.getAdherence(), 1.0);

    ASSERT_EQ(doc.m_vStatDetectors.size(), 1u);
    const CStatDetector& detector = doc.m_vStatDetectors[0];
    EXPECT_EQ(detector.getDetectorName(), 520);
    EXPECT_EQ(detector.getParamA(), 1000);
    EXPECT_TRUE(detector.getDirPos());
    EXPECT_EQ(detector.getTimeInterval(), 60);
    EXPECT_EQ(detector.getDetectorVehicleType(), 500);

    EXPECT_EQ(doc.getPathName(), "Untitled.tlp");
    EXPECT_EQ(doc.getTitle(), "Untitled.tlp");
    EXPECT_FALSE(doc.isModified());
    EXPECT_EQ(treeRebuilds, 1);
}

TEST_F(DocumentTest, RoadFeatureLabelsAndCodes) {
    const CRoadFeature feature;
    const std::vector<std::string> types = {"Speed Limit", "Gradient", "Obstacle",
                                            "Politeness",  "Bias",     "Lane Change Ban",
                                            "Gap Control"};
    const std::vector<std::string> filters = {"All Vehicles", "All Trucks",   "Cars",
                                              "Small Trucks", "Large Trucks", "Cranes",
                                              "Low-loaders",  "User-defined"};
    EXPECT_EQ(feature.getTypeLabels(), types);
    EXPECT_EQ(feature.getVehicleLabels(), filters);
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(feature.typeLabel(400 + i), types[i]);
        EXPECT_EQ(feature.typeCode(types[i]), 400 + i);
    }
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(feature.vehicleLabel(100 + i), filters[i]);
        EXPECT_EQ(feature.vehicleCode(filters[i]), 100 + i);
    }
    EXPECT_EQ(feature.typeLabel(407), "");
    EXPECT_EQ(feature.typeLabel(399), "");
    EXPECT_EQ(feature.vehicleLabel(108), "");
    EXPECT_EQ(feature.typeCode("speed limit"), 0);
    EXPECT_EQ(feature.getElementType(), CElement::RoadFeature);
    EXPECT_EQ(feature.getTypeLabel(), "Road Feature");

    // A copy is a feature of its own with the same fields.
    CRoadFeature original;
    original.setDescription("Ban");
    original.setType(405);
    original.setFeatVehType(101);
    original.setAdherence(0.4);
    original.setStart(10);
    original.setEnd(90);
    original.setDirPos(false);
    original.setValue(3.0);
    CRoadFeature copy(original);
    EXPECT_EQ(copy.getDescription(), "Ban");
    EXPECT_EQ(copy.getType(), 405);
    EXPECT_EQ(copy.getFeatVehType(), 101);
    EXPECT_EQ(copy.getAdherence(), 0.4);
    EXPECT_EQ(copy.getStart(), 10);
    EXPECT_EQ(copy.getEnd(), 90);
    EXPECT_FALSE(copy.getDirPos());
    EXPECT_EQ(copy.getValue(), 3.0);
    EXPECT_EQ(copy.getTypeLabels(), types);
}

TEST_F(DocumentTest, AddRoadFeatureOfEachType) {
    doc.newProject();
    const struct {
        int type;
        double value;
    } rows[] = {{400, 80.0}, {401, 10.0}, {402, 1.0}, {403, 0.5},
                {404, 0.5},  {405, 1.0},  {406, 50.0}};
    for (const auto& row : rows) {
        forget();
        const CRoadFeature& feature = doc.addRoadFeature(row.type);
        EXPECT_EQ(feature.getType(), row.type);
        EXPECT_EQ(feature.getValue(), row.value) << row.type;
        EXPECT_EQ(feature.getDescription(),
                  "New Feature No. " + std::to_string(doc.m_vRoadFeatures.size()));
        EXPECT_EQ(feature.getStart(), 0);
        EXPECT_EQ(feature.getEnd(), 1000);
        EXPECT_TRUE(doc.isModified());
        EXPECT_EQ(treeRebuilds, 1);
        EXPECT_EQ(host.refreshes, 1);
    }
}

TEST_F(DocumentTest, AddDetectorOfEachKindDerivesItsCategory) {
    const std::vector<std::pair<int, int>> kinds = {{520, 510}, {521, 510}, {522, 510}, {523, 513},
                                                    {524, 510}, {525, 511}, {526, 511}, {527, 512},
                                                    {528, 512}, {529, 511}};
    for (const auto& [kind, category] : kinds) {
        const CStatDetector& detector = doc.addDetector(kind);
        EXPECT_EQ(detector.getDetectorName(), kind);
        EXPECT_EQ(detector.getDetectorType(), category) << kind;
    }
}

// The number in a new element's description counts the list after the addition, whatever
// happened to the elements before it.
TEST_F(DocumentTest, AddCommandsNumberByTheListSize) {
    struct Command {
        const char* prefix;
        std::function<const CElement&()> add;
        std::function<std::size_t()> size;
        std::function<void(std::size_t)> eraseAt;
        bool refreshes;
    };
    const std::vector<Command> commands = {
        {"New Feature No. ", [&]() -> const CElement& { return doc.addRoadFeature(401); },
         [&] { return doc.m_vRoadFeatures.size(); },
         [&](std::size_t i) { doc.m_vRoadFeatures.erase(doc.m_vRoadFeatures.begin() + i); }, true},
        {"New Detector No. ", [&]() -> const CElement& { return doc.addDetector(521); },
         [&] { return doc.m_vStatDetectors.size(); },
         [&](std::size_t i) { doc.m_vStatDetectors.erase(doc.m_vStatDetectors.begin() + i); },
         true},
        {"New Bridge No. ", [&]() -> const CElement& { return doc.addBridge(); },
         [&] { return doc.m_vBridges.size(); },
         [&](std::size_t i) { doc.m_vBridges.erase(doc.m_vBridges.begin() + i); }, true},
        {"New IL No. ", [&]() -> const CElement& { return doc.addInfluenceLine(); },
         [&] { return doc.m_vInfLines.size(); },
         [&](std::size_t i) { doc.m_vInfLines.erase(doc.m_vInfLines.begin() + i); }, false},
        {"New Discrete Dist No. ", [&]() -> const CElement& { return doc.addDiscreteDist(); },
         [&] { return doc.m_vDiscreteDists.size(); },
         [&](std::size_t i) { doc.m_vDiscreteDists.erase(doc.m_vDiscreteDists.begin() + i); },
         false},
    };
    for (const Command& command : commands) {
        for (int i = 0; i < 3; ++i)
            command.add();
        ASSERT_EQ(command.size(), 3u) << command.prefix;
        command.eraseAt(0);
        forget();
        const CElement& added = command.add();
        EXPECT_EQ(added.getDescription(), std::string(command.prefix) + "3");
        EXPECT_TRUE(doc.isModified()) << command.prefix;
        EXPECT_EQ(treeRebuilds, 1) << command.prefix;
        EXPECT_EQ(host.refreshes, command.refreshes ? 1 : 0) << command.prefix;
    }
    // Influence lines and distributions carry their number too.
    EXPECT_EQ(doc.m_vInfLines.back().GetID(), 3);
    EXPECT_EQ(doc.m_vDiscreteDists.back().getID(), 3);
}

TEST_F(DocumentTest, AddDetectorAfterRenamingAndDeleting) {
    for (int i = 0; i < 3; ++i)
        doc.addDetector(520);
    doc.m_vStatDetectors[0].setDescription("Renamed");
    EXPECT_EQ(doc.addDetector(520).getDescription(), "New Detector No. 4");
    ASSERT_TRUE(doc.deleteElement(&doc.m_vStatDetectors[1]));
    EXPECT_EQ(doc.addDetector(520).getDescription(), "New Detector No. 4");
}

TEST_F(DocumentTest, AddBridgeNumbersAfterTheHighestBridge) {
    doc.newProject();
    doc.m_RoadLength = 2000;
    doc.m_NoLanes = 4;
    doc.addBridge().SetID(1);
    doc.addBridge().SetID(5);
    const CBridge& bridge = doc.addBridge();
    EXPECT_EQ(bridge.GetID(), 6);
    EXPECT_EQ(bridge.getDescription(), "New Bridge No. 3");
    EXPECT_EQ(bridge.GetStart(), 500.0);
    EXPECT_EQ(bridge.GetEnd(), 1000.0);
    EXPECT_EQ(bridge.GetNoLanes(), 4);
    ASSERT_EQ(bridge.GetLoadEffects().size(), 1u);
    EXPECT_EQ(bridge.GetLoadEffects()[0]->LaneWeights(), std::vector<double>(4, 1.0));
    EXPECT_EQ(bridge.ZoneStart(false), 1000.0); // road length 2000 − end 1000

    CTarloDoc empty(settings, host);
    EXPECT_EQ(empty.addBridge().GetID(), 1);
}

TEST_F(DocumentTest, AddLoadEffectOnlyOnABridge) {
    doc.newProject();
    CBridge& bridge = doc.addBridge();
    forget();
    EXPECT_FALSE(doc.addLoadEffect(&doc.m_vRoadFeatures[0]));
    EXPECT_FALSE(doc.addLoadEffect(nullptr));
    CBridge stranger;
    EXPECT_FALSE(doc.addLoadEffect(&stranger));
    EXPECT_TRUE(stranger.GetLoadEffects().empty());
    EXPECT_FALSE(doc.isModified());
    EXPECT_EQ(treeRebuilds, 0);

    EXPECT_TRUE(doc.addLoadEffect(&bridge));
    ASSERT_EQ(bridge.GetLoadEffects().size(), 2u);
    EXPECT_EQ(bridge.GetLoadEffects()[1]->LaneWeights(), std::vector<double>(3, 1.0));
    EXPECT_EQ(bridge.GetNoLE(), 2);
    EXPECT_TRUE(doc.isModified());
    EXPECT_EQ(treeRebuilds, 1);
}

TEST_F(DocumentTest, FindElementByGroupAndIndex) {
    doc.newProject();
    doc.addBridge();
    doc.addInfluenceLine();
    doc.addDiscreteDist();
    doc.addDiscreteDist();
    const struct {
        const char* group;
        std::size_t index;
        const CElement* expected;
    } rows[] = {
        {"Road Features", 0, &doc.m_vRoadFeatures[0]},
        {"Road Features", 1, nullptr},
        {"Detectors", 0, &doc.m_vStatDetectors[0]},
        {"Bridges", 0, &doc.m_vBridges[0]},
        {"Bridges", 7, nullptr},
        {"Influence Lines", 0, &doc.m_vInfLines[0]},
        {"Discrete Distributions", 1, &doc.m_vDiscreteDists[1]},
        {"Discrete Distributions", 2, nullptr},
        {"Load Effects", 0, nullptr},
        {"", 0, nullptr},
    };
    for (const auto& row : rows)
        EXPECT_EQ(doc.findElement(row.group, row.index), row.expected)
            << row.group << " " << row.index;
    const struct {
        const char* group;
        int type;
        const char* description;
    } nodes[] = {{"Simulation", 10, "Configuration"},
                 {"Vehicle Types", 17, "Vehicle Type"},
                 {"IDM Parameters", 18, "IDM Parameter"}};
    for (const auto& node : nodes) {
        const CElement* element = doc.findElement(node.group, 3);
        ASSERT_NE(element, nullptr) << node.group;
        EXPECT_EQ(element->getElementType(), node.type);
        EXPECT_EQ(element->getDescription(), node.description);
    }
}

TEST_F(DocumentTest, DeleteByIdentity) {
    doc.newProject();
    doc.addRoadFeature(401);
    doc.addRoadFeature(402);
    doc.addDetector(521);
    doc.addDiscreteDist();
    doc.addBridge();
    doc.addBridge();
    doc.addLoadEffect(&doc.m_vBridges[1]);
    doc.addInfluenceLine();

    // An equal copy is not the element.
    const CRoadFeature copy = doc.m_vRoadFeatures[1];
    forget();
    EXPECT_FALSE(doc.deleteElement(&copy));
    EXPECT_FALSE(doc.deleteElement(nullptr));
    EXPECT_FALSE(doc.deleteElement(doc.findElement("Simulation", 0)));
    EXPECT_FALSE(doc.isModified());
    EXPECT_EQ(doc.m_vRoadFeatures.size(), 3u);

    EXPECT_TRUE(doc.deleteElement(&doc.m_vRoadFeatures[1]));
    EXPECT_EQ(descriptions(doc.m_vRoadFeatures),
              (std::vector<std::string>{"Feature", "New Feature No. 3"}));
    EXPECT_TRUE(doc.isModified());
    EXPECT_EQ(treeRebuilds, 1);

    EXPECT_TRUE(doc.deleteElement(&doc.m_vStatDetectors[0]));
    EXPECT_EQ(descriptions(doc.m_vStatDetectors), (std::vector<std::string>{"New Detector No. 2"}));
    EXPECT_TRUE(doc.deleteElement(&doc.m_vDiscreteDists[0]));
    EXPECT_TRUE(doc.m_vDiscreteDists.empty());

    // A load effect of the second bridge.
    const CLoadEffect* loadEffect = doc.m_vBridges[1].GetLoadEffects()[0].get();
    EXPECT_TRUE(doc.deleteElement(loadEffect));
    EXPECT_EQ(doc.m_vBridges[1].GetLoadEffects().size(), 1u);
    EXPECT_EQ(doc.m_vBridges[1].GetNoLE(), 1);
    EXPECT_EQ(doc.m_vBridges[0].GetLoadEffects().size(), 1u);

    EXPECT_TRUE(doc.deleteElement(&doc.m_vBridges[0]));
    EXPECT_EQ(descriptions(doc.m_vBridges), (std::vector<std::string>{"New Bridge No. 2"}));
    EXPECT_TRUE(doc.deleteElement(&doc.m_vInfLines[0]));
    EXPECT_TRUE(doc.m_vInfLines.empty());
}

TEST_F(DocumentTest, ConfigurationEditRecomputesTheLanes) {
    doc.newProject();
    doc.addBridge();
    forget();
    CTarloDoc::Configuration values = doc.getConfiguration();
    EXPECT_EQ(values.m_SimTimeStepMs, 250.0);
    EXPECT_EQ(values.m_NoLanesDirPos, 2);
    EXPECT_EQ(values.m_FileIn, "Traffic.in");

    const struct {
        int pos, neg, lanes, directions;
    } rows[] = {{2, 0, 2, 1}, {0, 3, 3, 1}, {3, 2, 5, 2}, {1, 1, 2, 2}};
    for (const auto& row : rows) {
        values.m_NoLanesDirPos = row.pos;
        values.m_NoLanesDirNeg = row.neg;
        doc.setConfiguration(values);
        EXPECT_EQ(doc.m_NoLanes, row.lanes);
        EXPECT_EQ(doc.m_NoDirections, row.directions) << row.pos << "+" << row.neg;
        EXPECT_EQ(doc.m_vBridges[0].GetNoLanes(), row.lanes);
        EXPECT_EQ(doc.m_vBridges[0].GetLoadEffects()[0]->LaneWeights().size(),
                  static_cast<std::size_t>(row.lanes));
    }
    EXPECT_TRUE(doc.isModified());
    EXPECT_EQ(host.refreshes, 4);

    values.m_SimTimeStepMs = 100.0;
    values.m_FileIn = "week.car";
    values.m_MetricsDir = "out/";
    values.m_bAutoDir = false;
    values.m_FileType = 102;
    values.m_RoadLength = 1500;
    values.m_DriveOnRight = false;
    values.m_AllowLaneChanging = false;
    values.m_OutputCarsToFile = false;
    values.m_TrafFileNoLanesDirPos = 2;
    values.m_TrafFileNoLanesDirNeg = 0;
    values.m_bExecuteOnOpen = false;
    doc.setConfiguration(values);
    EXPECT_EQ(doc.m_SimTimeStep, 0.1);
    EXPECT_EQ(doc.m_FileIn, "week.car");
    EXPECT_EQ(doc.m_MetricsDir, "out/");
    EXPECT_FALSE(doc.m_bAutoDir);
    EXPECT_EQ(doc.m_FileType, 102);
    EXPECT_EQ(doc.m_RoadLength, 1500);
    EXPECT_FALSE(doc.m_DriveOnRight);
    EXPECT_FALSE(doc.m_AllowLaneChanging);
    EXPECT_FALSE(doc.m_OutputCarsToFile);
    EXPECT_EQ(doc.m_TrafFileNoLanesDirPos, 2);
    EXPECT_EQ(doc.m_TrafFileNoLanesDirNeg, 0);
    EXPECT_FALSE(doc.m_bExecuteOnOpen);
    EXPECT_EQ(doc.getConfiguration().m_SimTimeStepMs, 100.0);
}

TEST_F(DocumentTest, DialogsReplaceTheLists) {
    doc.newProject();
    std::vector<CRoadFeature> features = doc.m_vRoadFeatures;
    features[0].setValue(60.0);
    features.emplace_back();
    std::vector<CStatDetector> detectors;
    std::vector<CDiscreteDist> dists(2);
    std::vector<CInfLineDiscrete> lines(1);
    CVehicleTypes types = *doc.m_pVehicleTypes;
    types.getType(0)->setName("PKW");
    const auto oldTypes = doc.m_pVehicleTypes;

    const std::vector<std::function<void()>> replacements = {
        [&] { doc.replaceRoadFeatures(features); }, [&] { doc.replaceStatDetectors(detectors); },
        [&] { doc.replaceDiscreteDists(dists); },   [&] { doc.replaceInfLines(lines); },
        [&] { doc.replaceVehicleTypes(types); },
    };
    for (const auto& replace : replacements) {
        forget();
        replace();
        EXPECT_TRUE(doc.isModified());
        EXPECT_EQ(treeRebuilds, 1);
    }
    EXPECT_EQ(doc.m_vRoadFeatures.size(), 2u);
    EXPECT_EQ(doc.m_vRoadFeatures[0].getValue(), 60.0);
    EXPECT_TRUE(doc.m_vStatDetectors.empty());
    EXPECT_EQ(doc.m_vDiscreteDists.size(), 2u);
    EXPECT_EQ(doc.m_vInfLines.size(), 1u);
    EXPECT_EQ(doc.m_pVehicleTypes->getType(0)->getName(), "PKW");
    EXPECT_EQ(oldTypes->getType(0)->getName(), "Car");
    // The dialog's copy stays the dialog's.
    types.getType(0)->setName("Auto");
    EXPECT_EQ(doc.m_pVehicleTypes->getType(0)->getName(), "PKW");
}

TEST_F(DocumentTest, LegacyOutputDetector) {
    doc.newProject();
    const CStatDetector& detector = doc.addLegacyOutputDetector("Negative Direction", false, 75);
    EXPECT_EQ(detector.getDescription(), "Negative Direction");
    EXPECT_EQ(detector.getDetectorName(), 524);
    EXPECT_EQ(detector.getDetectorType(), 510);
    EXPECT_FALSE(detector.getDirPos());
    EXPECT_EQ(detector.getParamA(), 75);
    EXPECT_EQ(detector.getTimeInterval(), 60);
    EXPECT_EQ(doc.m_vStatDetectors.size(), 2u);
}

TEST_F(DocumentTest, SaveOpenAndClose) {
    TempDir dir("tarlo-doc-lifecycle");
    doc.newProject();
    doc.addBridge();
    doc.m_vRoadFeatures[0].setDescription("Tempo 80 – Brücke");
    const std::string path = dir.file("Brücke.tlp");
    forget();
    doc.setModified();
    ASSERT_TRUE(doc.save(path));
    EXPECT_FALSE(doc.isModified());
    EXPECT_EQ(doc.getPathName(), path);
    EXPECT_EQ(doc.getTitle(), "Brücke.tlp");
    EXPECT_EQ(doc.getExtension(), "tlp");
    EXPECT_EQ(host.outputLines, (std::vector<std::string>{"File saved: " + path}));
    EXPECT_TRUE(host.messages.empty());

    CTarloDoc opened(settings, host);
    int openedTree = 0;
    opened.setElementTreeListener([&] { ++openedTree; });
    opened.setModified();
    host.outputLines.clear();
    ASSERT_TRUE(opened.open(path));
    EXPECT_EQ(host.outputLines, (std::vector<std::string>{"File loaded: " + path}));
    EXPECT_EQ(openedTree, 1);
    EXPECT_FALSE(opened.isModified());
    EXPECT_EQ(opened.getTitle(), "Brücke.tlp");
    EXPECT_EQ(opened.m_vRoadFeatures[0].getDescription(), "Tempo 80 – Brücke");
    EXPECT_EQ(opened.m_vBridges.size(), 1u);
    EXPECT_EQ(opened.m_ProjectFolder, fs::absolute(path).parent_path().string());

    host.outputLines.clear();
    opened.close();
    EXPECT_EQ(host.outputLines, (std::vector<std::string>{"File closed: " + path}));
}

TEST_F(DocumentTest, FailedOpenShowsTheLoadErrorAndKeepsTheDocument) {
    TempDir dir("tarlo-doc-open-fail");
    doc.newProject();
    doc.m_RoadLength = 1234;
    forget();
    EXPECT_FALSE(doc.open(dir.file("missing.tlp")));
    ASSERT_EQ(host.messages.size(), 1u);
    const std::string& text = host.messages[0].text;
    EXPECT_TRUE(text.starts_with(dir.file("missing.tlp") +
                                 ": Problem loading file.\nBoost reports: input stream error"))
        << text;
    EXPECT_TRUE(text.ends_with(
        "\nPossibly: (asymmetric serialization, including attempt to load empty archive?)\n"))
        << text;
    EXPECT_EQ(host.messages[0].icon, MessageIcon::Error);
    EXPECT_TRUE(host.outputLines.empty());
    EXPECT_EQ(doc.m_RoadLength, 1234);
    EXPECT_EQ(doc.getTitle(), "Untitled.tlp");
    EXPECT_EQ(treeRebuilds, 0);
}

TEST_F(DocumentTest, FailedSaveIsReportedAndKeepsTheModifiedMark) {
    TempDir dir("tarlo-doc-save-fail");
    doc.newProject();
    forget();
    doc.setModified();
    const std::string path = dir.file("missing/folder/p.tlp");
    EXPECT_FALSE(doc.save(path));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_TRUE(host.messages[0].text.starts_with("Problem saving file.\nBoost reports: "))
        << host.messages[0].text;
    EXPECT_TRUE(host.messages[0].text.ends_with("The project was not saved."));
    EXPECT_EQ(host.messages[0].icon, MessageIcon::Error);
    EXPECT_TRUE(host.outputLines.empty());
    EXPECT_TRUE(doc.isModified());
    EXPECT_EQ(doc.getPathName(), "Untitled.tlp");
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(DocumentTest, SavingALegacyFileWarnsThatBridgesAreLeftOut) {
    TempDir dir("tarlo-doc-qtf");
    doc.newProject();
    doc.addBridge();
    forget();
    const std::string path = dir.file("old.qtf");
    ASSERT_TRUE(doc.save(path));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text,
              "Please note: Bridges, Influence Lines, and other simulation \nelements are not "
              "supported in *.qtf files.\nYour file has been saved.");
    EXPECT_EQ(host.messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(doc.m_vBridges.size(), 1u);

    CTarloDoc opened(settings, host);
    ASSERT_TRUE(opened.open(path));
    EXPECT_TRUE(opened.m_vBridges.empty());
    EXPECT_EQ(opened.m_vRoadFeatures.size(), 1u);
    EXPECT_EQ(opened.getExtension(), "qtf");
}

TEST_F(DocumentTest, OutputLinesCarryTheDocumentName) {
    TempDir dir("tarlo-doc-name");
    doc.newProject();
    forget();
    doc.runControl().toggleMuteDetectors();
    ASSERT_TRUE(doc.save(dir.file("Run A.tlp")));
    doc.runControl().toggleMuteBridges();
    EXPECT_EQ(host.outputLines,
              (std::vector<std::string>{"09/12/26 14:30:00| Untitled.tlp| Mute detectors on",
                                        "File saved: " + dir.file("Run A.tlp"),
                                        "09/12/26 14:30:00| Run A.tlp| Mute bridges on"}));
}

TEST_F(DocumentTest, RunPathsOfTheProject) {
    const struct {
        const char* folder;
        const char* path;
        const char* expected;
    } rows[] = {
        {"/work/p", "traffic.car", "/work/p/traffic.car"},
        {"/work/p", "data\\week 1\\traffic.car", "/work/p/data/week 1/traffic.car"},
        {"/work/p", "Metrics_20260101-120000\\", "/work/p/Metrics_20260101-120000/"},
        {"/work/p", "/srv/traffic.car", "/srv/traffic.car"},
        {"/work/p", "\\Metrics", "/Metrics"},
        {"/work/p", "C:\\WIM\\traffic.car", "C:/WIM/traffic.car"},
        {"/work/p", "", "/work/p/"},
        {"", "data\\traffic.car", "data/traffic.car"},
    };
    for (const auto& row : rows) {
        doc.m_ProjectFolder = row.folder;
        EXPECT_EQ(doc.runPath(row.path), row.expected) << row.folder << " " << row.path;
    }
}

// A project made on Windows names its traffic file and metrics folder relative to itself,
// with '\' between folders: the run finds them beside the project wherever it is opened.
TEST_F(DocumentTest, RunReadsRelativeWindowsPathsBesideTheProject) {
    TempDir dir("tarlo-doc-run");
    const std::string path = dir.file("windows_rev6.tlp");
    fs::copy_file(std::string(TARLO_TEST_DATA) + "/project/windows_rev6.tlp", path);
    fs::create_directories(dir.file("data"));
    fs::create_directories(dir.file("results/run1"));
    std::vector<test::CastorRecord> records(3);
    for (std::size_t i = 0; i < records.size(); ++i)
        records[i].second = static_cast<unsigned>(10 * i);
    test::writeCastorFile(dir, "data/traffic.car", records);

    ASSERT_TRUE(doc.open(path));
    EXPECT_EQ(doc.runPath(doc.m_FileIn), doc.m_ProjectFolder + "/data/traffic.car");
    doc.m_bConstVelocity = true;
    doc.m_Seed = 7;
    doc.runControl().runInvisible();
    doc.runControl().waitForInvisibleRun();
    EXPECT_EQ(host.posted().back(), RunNotification::InvisibleFinished);
    EXPECT_EQ(doc.m_MetricsDir, "results\\run1\\");

    bool bridgeOutput = false;
    for (const auto& entry : fs::directory_iterator(dir.file("results/run1")))
        bridgeOutput = bridgeOutput || entry.path().filename().string().starts_with("Br_7_");
    EXPECT_TRUE(bridgeOutput);
    for (const auto& entry : fs::directory_iterator(dir.file(".")))
        EXPECT_EQ(entry.path().filename().string().find('\\'), std::string::npos);
}

} // namespace
} // namespace tarlo
