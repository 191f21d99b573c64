#include "project/ProjectFile.h"

#include "bridges/CEventAll.h"
#include "bridges/CEventBM.h"
#include "bridges/CEventBase.h"
#include "bridges/CEventBlockMax.h"
#include "bridges/CEventBlockMin.h"
#include "bridges/CEventManager.h"
#include "bridges/CEventPOT.h"
#include "bridges/CEventPT.h"
#include "bridges/CEventPUT.h"
#include "bridges/CInfLineFunction.h"
#include "project/WideString.h"
#include "support/TrafficFixture.h"
#include "vehicles/CConstantDist.h"
#include "vehicles/CContinuousDist.h"
#include "vehicles/CIDMParameterSet.h"
#include "vehicles/CParameter.h"
#include "vehicles/CVehicleType.h"
#include "vehicles/VehicleTypeCriterion.h"

#include <boost/archive/basic_archive.hpp>
#include <boost/serialization/extended_type_info.hpp>
#include <boost/serialization/tracking.hpp>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace tarlo {
namespace {

using test::TempDir;
namespace fs = std::filesystem;

using test::readBytes;
using test::writeBytes;

// The file's lines without their line ends.
std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// The names of the file's top-level items, in order.
std::vector<std::string> itemNames(const std::string& text) {
    std::vector<std::string> names;
    for (const std::string& line : linesOf(text)) {
        if (line.starts_with("<m_"))
            names.push_back(line.substr(1, line.find_first_of(" >") - 1));
    }
    return names;
}

const std::vector<std::string> allItems = {"m_Version",
                                           "m_FileIn",
                                           "m_MetricsDir",
                                           "m_FileType",
                                           "m_TrafFileNoLanesDirPos",
                                           "m_TrafFileNoLanesDirNeg",
                                           "m_NoDirections",
                                           "m_NoLanes",
                                           "m_NoLanesDirPos",
                                           "m_NoLanesDirNeg",
                                           "m_RoadLength",
                                           "m_DriveOnRight",
                                           "m_SimTimeStep",
                                           "m_AllowLaneChanging",
                                           "m_OutputCarsToFile",
                                           "m_vStatDetectors",
                                           "m_vRoadFeatures",
                                           "m_vDiscreteDists",
                                           "m_pVehicleTypes",
                                           "m_vBridges",
                                           "m_vInfLines",
                                           "m_bConstVelocity",
                                           "m_bAutoDir",
                                           "m_bExecuteOnOpen"};

// A project whose every item differs from a new project's.
ProjectFields sampleProject() {
    ProjectFields f;
    f.m_FileIn = "D:\\WIM\\A9 süd.car";
    f.m_MetricsDir = "D:\\WIM\\Ergebnisse\\";
    f.m_FileType = 102;
    f.m_TrafFileNoLanesDirPos = 3;
    f.m_TrafFileNoLanesDirNeg = 2;
    f.m_NoDirections = 2;
    f.m_NoLanes = 5;
    f.m_NoLanesDirPos = 3;
    f.m_NoLanesDirNeg = 2;
    f.m_RoadLength = 4200;
    f.m_DriveOnRight = false;
    f.m_SimTimeStep = 0.125;
    f.m_AllowLaneChanging = false;
    f.m_OutputCarsToFile = false;
    f.m_bConstVelocity = true;
    f.m_bAutoDir = false;
    f.m_bExecuteOnOpen = false;

    CStatDetector detector;
    detector.setDescription("Zählstelle Nord");
    detector.setDetectorName(527);
    detector.setDirPos(false);
    detector.setDetectorVehicleType(504);
    detector.setTimeInterval(300);
    detector.setParamA(100);
    detector.setParamB(50);
    detector.setParamC(900);
    f.m_vStatDetectors = {detector, CStatDetector()};

    CRoadFeature feature;
    feature.setDescription("Baustelle – Fahrstreifen 2 gesperrt");
    feature.setType(CRoadFeature::Obstacle);
    feature.setValue(2.0);
    feature.setStart(1200);
    feature.setEnd(1450);
    feature.setDirPos(false);
    feature.setFeatVehType(CRoadFeature::LargeTrucks);
    feature.setAdherence(0.75);
    f.m_vRoadFeatures = {feature, CRoadFeature()};

    CDiscreteDist dist(3, "Geschwindigkeiten");
    dist.setData({60, 80, 100});
    dist.setPMF({0.2, 0.5, 0.3});
    f.m_vDiscreteDists = {dist};

    f.m_pVehicleTypes->getType(2)->setName("Sattelzug");
    f.m_pVehicleTypes->getType(2)->setColor(0x123456);

    CBridge bridge(9, 4200, 5, 1500.0, 1537.5);
    bridge.setDescription("Talbrücke Öhringen");
    bridge.SetStepsPerSimStep(4);
    bridge.AddLoadEffect({1.0, 0.5, 0.0, 0.0, 1.0});
    bridge.EventManager().setBMax(true);
    f.m_vBridges = {bridge, CBridge(2, 4200, 5, 200.0, 220.0)};

    CInfLineDiscrete line(4, "Momentenlinie");
    line.SetPoints({0.0, 18.75, 37.5}, {0.0, 9.375, 0.0});
    f.m_vInfLines = {line};
    return f;
}

std::string saved(const ProjectFields& f, const TempDir& dir, const std::string& name) {
    const std::string path = dir.file(name);
    const ProjectFile::Result result = ProjectFile::save(f, path);
    EXPECT_TRUE(result.ok) << result.error;
    return path;
}

// A copy of a fixture in the temporary folder, as the load may rewrite it.
std::string fixture(const TempDir& dir, const std::string& name) {
    const std::string path = dir.file(name);
    fs::copy_file(std::string(TARLO_TEST_DATA) + "/project/" + name, path,
                  fs::copy_options::overwrite_existing);
    return path;
}

ProjectFields loaded(const std::string& path, ProjectFile::Result* result = nullptr) {
    ProjectFields f;
    const ProjectFile::Result r = ProjectFile::load(f, path);
    EXPECT_TRUE(r.ok) << r.error;
    if (result)
        *result = r;
    return f;
}

std::vector<std::string> descriptions(const auto& elements) {
    std::vector<std::string> names;
    for (const auto& element : elements)
        names.push_back(element.getDescription());
    return names;
}

TEST(ProjectFileTest, FramingAndItemOrderOfASavedProject) {
    TempDir dir("tarlo-framing");
    const std::string text = readBytes(saved(sampleProject(), dir, "p.tlp"));
    const std::vector<std::string> lines = linesOf(text);
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>");
    EXPECT_EQ(lines[1], "<!DOCTYPE boost_serialization>");
    // The archive version of the file layout, not the library's own.
    EXPECT_EQ(lines[2],
              "<boost_serialization signature=\"serialization::archive\" version=\"11\">");
    EXPECT_EQ(lines[3], "<m_Version>6</m_Version>");
    // The library ends the archive with its closing tag and an empty line.
    EXPECT_EQ(lines[lines.size() - 2], "</boost_serialization>");
    EXPECT_EQ(lines.back(), "");
    EXPECT_EQ(itemNames(text), allItems);
    // Every line ends in CR LF.
    std::size_t lineFeeds = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') {
            ++lineFeeds;
            EXPECT_TRUE(i > 0 && text[i - 1] == '\r') << "at byte " << i;
        }
    }
    EXPECT_EQ(lineFeeds, lines.size());
    // Texts are written as UTF-8 inside the wrapper's "value" item.
    EXPECT_NE(text.find("<value>Talbrücke Öhringen</value>"), std::string::npos);
    // Features are tracked at class version 2, detectors are untracked at class version 1.
    EXPECT_NE(text.find("tracking_level=\"1\" version=\"2\" object_id="), std::string::npos);
    EXPECT_NE(text.find("<item class_id=\"2\" tracking_level=\"0\" version=\"1\">"),
              std::string::npos);
}

TEST(ProjectFileTest, SavedAndLoadedAgainReproducesEveryItem) {
    TempDir dir("tarlo-roundtrip");
    const ProjectFields original = sampleProject();
    const std::string path = saved(original, dir, "p.tlp");
    const ProjectFields f = loaded(path);

    EXPECT_EQ(f.m_Version, 6);
    EXPECT_EQ(f.m_FileIn, original.m_FileIn);
    EXPECT_EQ(f.m_MetricsDir, original.m_MetricsDir);
    EXPECT_EQ(f.m_FileType, 102);
    EXPECT_EQ(f.m_TrafFileNoLanesDirPos, 3);
    EXPECT_EQ(f.m_TrafFileNoLanesDirNeg, 2);
    EXPECT_EQ(f.m_NoDirections, 2);
    EXPECT_EQ(f.m_NoLanes, 5);
    EXPECT_EQ(f.m_NoLanesDirPos, 3);
    EXPECT_EQ(f.m_NoLanesDirNeg, 2);
    EXPECT_EQ(f.m_RoadLength, 4200);
    EXPECT_FALSE(f.m_DriveOnRight);
    EXPECT_EQ(f.m_SimTimeStep, 0.125);
    EXPECT_FALSE(f.m_AllowLaneChanging);
    EXPECT_FALSE(f.m_OutputCarsToFile);

    ASSERT_EQ(f.m_vStatDetectors.size(), 2u);
    const CStatDetector& d = f.m_vStatDetectors[0];
    EXPECT_EQ(d.getDescription(), "Zählstelle Nord");
    EXPECT_EQ(d.getDetectorType(), 512);
    EXPECT_EQ(d.getDetectorName(), 527);
    EXPECT_FALSE(d.getDirPos());
    EXPECT_EQ(d.getDetectorVehicleType(), 504);
    EXPECT_EQ(d.getTimeInterval(), 300);
    EXPECT_EQ(d.getParamA(), 100);
    EXPECT_EQ(d.getParamB(), 50);
    EXPECT_EQ(d.getParamC(), 900);

    ASSERT_EQ(f.m_vRoadFeatures.size(), 2u);
    const CRoadFeature& r = f.m_vRoadFeatures[0];
    EXPECT_EQ(r.getDescription(), "Baustelle – Fahrstreifen 2 gesperrt");
    EXPECT_EQ(r.getElementType(), CElement::RoadFeature);
    EXPECT_EQ(r.getType(), 402);
    EXPECT_EQ(r.getValue(), 2.0);
    EXPECT_EQ(r.getStart(), 1200);
    EXPECT_EQ(r.getEnd(), 1450);
    EXPECT_FALSE(r.getDirPos());
    EXPECT_EQ(r.getFeatVehType(), 104);
    EXPECT_EQ(r.getAdherence(), 0.75);
    EXPECT_EQ(r.typeLabel(r.getType()), "Obstacle");

    ASSERT_EQ(f.m_vDiscreteDists.size(), 1u);
    EXPECT_EQ(f.m_vDiscreteDists[0].getDescription(), "Geschwindigkeiten");
    EXPECT_EQ(f.m_vDiscreteDists[0].getID(), 3);
    EXPECT_EQ(f.m_vDiscreteDists[0].getPMF(), (std::vector<double>{0.2, 0.5, 0.3}));

    ASSERT_TRUE(f.m_pVehicleTypes);
    EXPECT_NE(f.m_pVehicleTypes, original.m_pVehicleTypes);
    EXPECT_EQ(f.m_pVehicleTypes->getType(2)->getName(), "Sattelzug");
    EXPECT_EQ(f.m_pVehicleTypes->getType(2)->getColor(), 0x123456u);

    ASSERT_EQ(f.m_vBridges.size(), 2u);
    const CBridge& b = f.m_vBridges[0];
    EXPECT_EQ(b.getDescription(), "Talbrücke Öhringen");
    EXPECT_EQ(b.GetID(), 9);
    EXPECT_EQ(b.GetStart(), 1500.0);
    EXPECT_EQ(b.GetEnd(), 1537.5);
    EXPECT_EQ(b.GetStepsPerSimStep(), 4u);
    ASSERT_EQ(b.GetLoadEffects().size(), 2u);
    EXPECT_EQ(b.GetLoadEffects()[1]->LaneWeights(), (std::vector<double>{1.0, 0.5, 0.0, 0.0, 1.0}));
    EXPECT_EQ(f.m_vBridges[1].GetID(), 2);

    ASSERT_EQ(f.m_vInfLines.size(), 1u);
    EXPECT_EQ(f.m_vInfLines[0].getDescription(), "Momentenlinie");
    EXPECT_EQ(f.m_vInfLines[0].GetID(), 4);
    EXPECT_EQ(f.m_vInfLines[0].GetOrdinates(), (std::vector<double>{0.0, 9.375, 0.0}));

    EXPECT_TRUE(f.m_bConstVelocity);
    EXPECT_FALSE(f.m_bAutoDir);
    EXPECT_FALSE(f.m_bExecuteOnOpen);

    // Whatever a field holds that this test does not name, the file holds it too.
    const std::string again = saved(f, dir, "again.tlp");
    EXPECT_EQ(readBytes(again), readBytes(path));
}

TEST(ProjectFileTest, TextsKeepTheirLineEndsAndCharacters) {
    TempDir dir("tarlo-texts");
    ProjectFields original;
    const std::vector<std::string> texts = {"two\nlines", "windows\r\nline", "lone\rreturn",
                                            "Ærø – 東京 <&> \"quoted\"", ""};
    for (const std::string& text : texts) {
        CRoadFeature feature;
        feature.setDescription(text);
        original.m_vRoadFeatures.push_back(feature);
    }
    const ProjectFields f = loaded(saved(original, dir, "texts.tlp"));
    EXPECT_EQ(descriptions(f.m_vRoadFeatures), texts);
}

// A legacy file holds the items up to the vehicle types; what it does not hold keeps the
// values the project had.
TEST(ProjectFileTest, LegacyFileHoldsNoBridgesOrInfluenceLines) {
    TempDir dir("tarlo-qtf");
    const std::string path = saved(sampleProject(), dir, "old.qtf");
    const std::string text = readBytes(path);
    EXPECT_EQ(itemNames(text), std::vector<std::string>(allItems.begin(), allItems.begin() + 19));
    EXPECT_EQ(text.find("CBridge"), std::string::npos);
    EXPECT_EQ(text.find("Momentenlinie"), std::string::npos);

    ProjectFields f;
    f.m_vBridges.emplace_back();
    ASSERT_TRUE(ProjectFile::load(f, path).ok);
    EXPECT_EQ(f.m_vBridges.size(), 1u);
    EXPECT_TRUE(f.m_vInfLines.empty());
    EXPECT_FALSE(f.m_bConstVelocity);
    EXPECT_TRUE(f.m_bAutoDir);
    EXPECT_TRUE(f.m_bExecuteOnOpen);
    EXPECT_EQ(f.m_RoadLength, 4200);
    EXPECT_EQ(descriptions(f.m_vStatDetectors),
              (std::vector<std::string>{"Zählstelle Nord", "Detector"}));
}

TEST(ProjectFileTest, FileKindFromTheExtension) {
    struct Row {
        std::string path, name, extension, folder;
        bool legacy;
    };
    const std::vector<Row> rows = {
        {"/home/a/p.tlp", "p.tlp", ".tlp", "/home/a", false},
        {"C:\\Projects\\old.qtf", "old.qtf", ".qtf", "C:\\Projects", true},
        {"rel/dir.v2/old.QTF", "old.QTF", ".QTF", "rel/dir.v2", false},
        {"dir.v2/noext", "noext", "", "dir.v2", false},
        {"archive.tar.qtf", "archive.tar.qtf", ".qtf", "", true},
        {"/p.tlp", "p.tlp", ".tlp", "/", false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ProjectFile::fileName(row.path), row.name) << row.path;
        EXPECT_EQ(ProjectFile::extension(row.path), row.extension) << row.path;
        EXPECT_EQ(ProjectFile::folder(row.path), row.folder) << row.path;
        EXPECT_EQ(ProjectFile::isLegacy(row.path), row.legacy) << row.path;
    }
}

// A revision-0 file: no revision item, the two legacy items, features of class version 0,
// the vehicle types as a plain pointer with parameters pointing into the discrete list.
TEST(ProjectFileTest, RevisionZeroIsRepairedOnDiskAndLoaded) {
    TempDir dir("tarlo-rev0");
    const std::string path = fixture(dir, "project_rev0.tlp");
    const std::vector<std::string> before = linesOf(readBytes(path));
    ASSERT_TRUE(before[3].starts_with("<m_FileIn"));

    ProjectFile::Result result;
    const ProjectFields f = loaded(path, &result);
    EXPECT_TRUE(result.repaired);
    const std::vector<std::string> after = linesOf(readBytes(path));
    ASSERT_EQ(after.size(), before.size() + 1);
    EXPECT_EQ(after[3], "<m_Version>0</m_Version>");
    EXPECT_EQ(std::vector<std::string>(after.begin() + 4, after.end()),
              std::vector<std::string>(before.begin() + 3, before.end()));

    EXPECT_EQ(f.m_FileIn, "traffic.car");
    EXPECT_EQ(f.m_MetricsDir, "Metrics\\");
    EXPECT_EQ(f.m_RoadLength, 2500);
    EXPECT_EQ(f.m_SimTimeStep, 0.2);
    EXPECT_FALSE(f.m_AllowLaneChanging);
    ASSERT_EQ(f.m_vRoadFeatures.size(), 1u);
    EXPECT_EQ(f.m_vRoadFeatures[0].getType(), CRoadFeature::Gradient);
    EXPECT_EQ(f.m_vRoadFeatures[0].getStart(), 200);
    EXPECT_EQ(f.m_vRoadFeatures[0].getFeatVehType(), CRoadFeature::AllVehicles);
    EXPECT_EQ(f.m_vRoadFeatures[0].getAdherence(), 1.0);
    ASSERT_EQ(f.m_vStatDetectors.size(), 3u);
    EXPECT_EQ(f.m_vStatDetectors[2].getParamA(), 150);

    ASSERT_EQ(f.m_vDiscreteDists.size(), 1u);
    EXPECT_EQ(f.m_vDiscreteDists[0].getDescription(), "Legacy speeds");
    ASSERT_EQ(f.m_pVehicleTypes->size(), 6u);
    const CVehicleType& car = *f.m_pVehicleTypes->getType(0);
    EXPECT_EQ(car.getColor(), 0x102030u);
    const auto v0 = std::dynamic_pointer_cast<CDiscreteDist>(
        car.getIDMParams()->getParameter(CParameter::V0)->getDistribution());
    ASSERT_TRUE(v0);
    EXPECT_NE(v0.get(), &f.m_vDiscreteDists[0]);
    EXPECT_EQ(v0->getData(), (std::vector<double>{70, 90, 110}));

    // Items the revision does not hold keep a new project's values.
    EXPECT_TRUE(f.m_vBridges.empty());
    EXPECT_FALSE(f.m_bConstVelocity);
    EXPECT_TRUE(f.m_bAutoDir);
    EXPECT_TRUE(f.m_bExecuteOnOpen);

    // The repaired file is an ordinary revision-0 file now.
    ProjectFile::Result second;
    const ProjectFields again = loaded(path, &second);
    EXPECT_FALSE(second.repaired);
    EXPECT_EQ(again.m_vStatDetectors.size(), 3u);
}

// The output detectors of revisions before 4 follow the stored detectors.
TEST(ProjectFileTest, RevisionsBeforeFourGainTheTwoOutputDetectors) {
    TempDir dir("tarlo-legacy-output");
    for (const char* name : {"project_rev0.tlp", "legacy_rev1.qtf", "project_rev3.tlp"}) {
        const ProjectFields f = loaded(fixture(dir, name));
        ASSERT_EQ(f.m_vStatDetectors.size(), 3u) << name;
        EXPECT_EQ(descriptions(f.m_vStatDetectors),
                  (std::vector<std::string>{"Headway at 500", "Positive Direction",
                                            "Negative Direction"}))
            << name;
        const struct {
            bool positive;
            int position;
        } expected[] = {{true, 2400}, {false, 150}};
        for (int i = 0; i < 2; ++i) {
            const CStatDetector& d = f.m_vStatDetectors[i + 1];
            EXPECT_EQ(d.getDetectorName(), 524) << name;
            EXPECT_EQ(d.kindLabel(d.getDetectorName()), "Output Vehicles");
            EXPECT_EQ(d.getDetectorType(), 510) << name;
            EXPECT_EQ(d.getDirPos(), expected[i].positive) << name;
            EXPECT_EQ(d.getParamA(), expected[i].position) << name;
        }
    }
    // From revision 4 on the file holds only the stored detectors.
    EXPECT_EQ(loaded(fixture(dir, "project_rev4.tlp")).m_vStatDetectors.size(), 1u);
}

TEST(ProjectFileTest, LegacyRevisionOneFile) {
    TempDir dir("tarlo-rev1");
    const ProjectFields f = loaded(fixture(dir, "legacy_rev1.qtf"));
    EXPECT_TRUE(f.m_vBridges.empty());
    EXPECT_TRUE(f.m_vInfLines.empty());
    EXPECT_FALSE(f.m_bConstVelocity);
    EXPECT_TRUE(f.m_bAutoDir);
    EXPECT_TRUE(f.m_bExecuteOnOpen);
    EXPECT_EQ(f.m_Version, 6);
    EXPECT_EQ(f.m_FileType, 100);
    ASSERT_EQ(f.m_vRoadFeatures.size(), 1u);
    // Class version 1 of a feature holds neither the vehicle filter nor the adherence.
    EXPECT_EQ(f.m_vRoadFeatures[0].getFeatVehType(), 100);
    EXPECT_EQ(f.m_vRoadFeatures[0].getAdherence(), 1.0);
    EXPECT_EQ(f.m_vRoadFeatures[0].getValue(), 4.0);
    ASSERT_EQ(f.m_vDiscreteDists.size(), 1u);
    EXPECT_EQ(f.m_vDiscreteDists[0].getDescription(), "Speeds");
    EXPECT_EQ(f.m_pVehicleTypes->size(), 6u);
}

TEST(ProjectFileTest, RevisionThreeNumbersItsUnnumberedBridges) {
    TempDir dir("tarlo-rev3");
    const ProjectFields f = loaded(fixture(dir, "project_rev3.tlp"));
    ASSERT_EQ(f.m_vBridges.size(), 2u);
    EXPECT_EQ(descriptions(f.m_vBridges), (std::vector<std::string>{"Span A", "Span B"}));
    EXPECT_EQ(f.m_vBridges[0].GetID(), 1);
    EXPECT_EQ(f.m_vBridges[1].GetID(), 2);
    EXPECT_EQ(f.m_vBridges[1].GetStart(), 500.0);
    ASSERT_EQ(f.m_vInfLines.size(), 1u);
    EXPECT_EQ(f.m_vInfLines[0].GetDistances(), (std::vector<double>{0, 10, 20}));
    EXPECT_TRUE(f.m_bConstVelocity);
    EXPECT_TRUE(f.m_bAutoDir);
    EXPECT_TRUE(f.m_bExecuteOnOpen);
}

TEST(ProjectFileTest, RevisionFourBridgesNumberedZeroAreNumberedInListOrder) {
    TempDir dir("tarlo-rev4");
    const std::string path = fixture(dir, "project_rev4.tlp");
    ASSERT_NE(readBytes(path).find("<m_ID>0</m_ID>\n\t</item>"), std::string::npos);
    const ProjectFields f = loaded(path);
    ASSERT_EQ(f.m_vBridges.size(), 3u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(f.m_vBridges[i].GetID(), i + 1);
    EXPECT_TRUE(f.m_vInfLines.empty());

    // From revision 5 on a bridge numbered 0 keeps its number.
    std::string text = readBytes(path);
    text.replace(text.find("<m_Version>4</m_Version>"), 24, "<m_Version>5</m_Version>");
    writeBytes(path, text);
    for (const CBridge& bridge : loaded(path).m_vBridges)
        EXPECT_EQ(bridge.GetID(), 0);
}

// Made on Windows: CR LF line ends, an older archive library, '\' in the paths, non-ASCII
// descriptions.
TEST(ProjectFileTest, RevisionSixFileFromWindows) {
    TempDir dir("tarlo-rev6");
    const std::string path = fixture(dir, "windows_rev6.tlp");
    ASSERT_NE(readBytes(path).find("version=\"11\">\r\n"), std::string::npos);
    const ProjectFields f = loaded(path);
    EXPECT_EQ(f.m_FileIn, "data\\traffic.car");
    EXPECT_EQ(f.m_MetricsDir, "results\\run1\\");
    EXPECT_EQ(f.m_vRoadFeatures[0].getDescription(), "Steigung vor der Brücke über die Möhne");
    EXPECT_EQ(f.m_vRoadFeatures[0].getFeatVehType(), 101);
    EXPECT_EQ(f.m_vRoadFeatures[0].getAdherence(), 0.5);
    ASSERT_EQ(f.m_vBridges.size(), 1u);
    EXPECT_EQ(f.m_vBridges[0].getDescription(), "Möhnebrücke");
    EXPECT_EQ(f.m_vBridges[0].GetID(), 7);
    EXPECT_EQ(f.m_vInfLines[0].GetLength(), 32.5);
    EXPECT_FALSE(f.m_bConstVelocity);
    EXPECT_FALSE(f.m_bAutoDir);
    EXPECT_FALSE(f.m_bExecuteOnOpen);
}

// When the archive's opening does not take exactly three lines, the inserted revision does
// not help: one repair is tried, the failure is reported and the file is left as it was.
TEST(ProjectFileTest, RepairIsTriedOnceAndNeverDamagesTheFile) {
    TempDir dir("tarlo-repair-bound");
    const std::string path = fixture(dir, "project_rev0.tlp");
    std::string text = readBytes(path);
    text.erase(text.find("?>\n") + 2, 1); // declaration and document type on one line
    writeBytes(path, text);

    ProjectFields f;
    f.m_FileIn = "kept.car";
    const ProjectFile::Result result = ProjectFile::load(f, path);
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.error.empty());
    EXPECT_FALSE(result.repaired);
    EXPECT_EQ(readBytes(path), text);
    EXPECT_EQ(f.m_FileIn, "kept.car");
    EXPECT_TRUE(f.m_vStatDetectors.empty());
}

TEST(ProjectFileTest, LoadFailuresKeepTheFieldsAndNameTheLibraryError) {
    TempDir dir("tarlo-load-errors");
    std::string truncated = readBytes(fixture(dir, "windows_rev6.tlp"));
    truncated.resize(truncated.find("<m_vBridges"));
    const struct {
        const char* name;
        std::string contents; // none: the file does not exist
        bool exists;
        const char* error;
    } rows[] = {
        {"missing.tlp", "", false, "input stream error"},
        {"empty.tlp", "", true, "input stream error"},
        {"truncated.tlp", truncated, true, "input stream error"},
        {"notxml.tlp", "Tarlo project\r\n", true, "input stream error"},
    };
    for (const auto& row : rows) {
        const std::string path = dir.file(row.name);
        if (row.exists)
            writeBytes(path, row.contents);
        ProjectFields f;
        f.m_RoadLength = 123;
        const ProjectFile::Result result = ProjectFile::load(f, path);
        EXPECT_FALSE(result.ok) << row.name;
        EXPECT_TRUE(result.error.starts_with(row.error)) << row.name << ": " << result.error;
        EXPECT_EQ(f.m_RoadLength, 123) << row.name;
        if (row.exists) {
            EXPECT_EQ(readBytes(path), row.contents) << row.name;
        }
    }
}

TEST(ProjectFileTest, LoadErrorMessageWithItsHint) {
    const struct {
        const char* error;
        const char* hint;
    } rows[] = {
        {"coding error", "Boost.Serialization library problem"},
        {"unrecognized XML syntax",
         "name-value-pair name contains illegal chars including whitespace?"},
        {"unregistered class", "missing BOOST_CLASS_EXPORT(SubClass) macro?"},
        {"unregistered void cast",
         "missing ar & BOOST_SERIALIZATION_BASE_OBJECT_NVP(BaseClass) statement?"},
        {"stream error", "asymmetric serialization, including attempt to load empty archive?"},
        {"input stream error-No such file or directory",
         "asymmetric serialization, including attempt to load empty archive?"},
        {"XML start/end tag mismatch - m_FileIn", "no local interpretation"},
        {"unregistered classes", "no local interpretation"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(ProjectFile::loadErrorText("/data/Brücke 1.tlp", row.error),
                  std::string("/data/Brücke 1.tlp: Problem loading file.\n") +
                      "Boost reports: " + row.error + "\nPossibly: (" + row.hint + ")\n");
}

TEST(ProjectFileTest, FailedSaveIsReportedAndLeavesTheOldFile) {
    TempDir dir("tarlo-save-fail");
    const ProjectFields f = sampleProject();

    const ProjectFile::Result missingFolder = ProjectFile::save(f, dir.file("no/such/p.tlp"));
    EXPECT_FALSE(missingFolder.ok);
    EXPECT_TRUE(missingFolder.error.starts_with("output stream error")) << missingFolder.error;

    // An old project whose replacement cannot be written stays whole.
    const std::string path = saved(ProjectFields(), dir, "p.tlp");
    const std::string old = readBytes(path);
    fs::create_directory(path + ".new");
    fs::create_directory(dir.file("p.tlp.new/blocker"));
    const ProjectFile::Result blocked = ProjectFile::save(f, path);
    EXPECT_FALSE(blocked.ok);
    EXPECT_EQ(readBytes(path), old);

    // A target that is a folder cannot be replaced.
    fs::create_directory(dir.file("folder.tlp"));
    EXPECT_FALSE(ProjectFile::save(f, dir.file("folder.tlp")).ok);
    EXPECT_FALSE(fs::exists(dir.file("folder.tlp.new")));

    EXPECT_EQ(ProjectFile::saveErrorText("output stream error"),
              "Problem saving file.\nBoost reports: output stream error\nPossibly: asymmetric "
              "serialization, including attempt to load empty archive?\nThe project was not "
              "saved.");
}

// The classes of a project file, with their class versions, export keys and tracking.
template <class T> struct Registration {
    static constexpr int version = boost::serialization::version<T>::value;
    static constexpr int tracking = boost::serialization::tracking_level<T>::value;
    static const char* key() { return boost::serialization::guid<T>(); }
};

TEST(ProjectFileTest, ClassRegistrations) {
    using boost::serialization::track_selectively;
    struct Row {
        const char* name;
        int version, tracking;
        const char* key;
        int expectedVersion;
        const char* expectedKey;
    };
#define ROW(T, v, k)                                                                               \
    Row {                                                                                          \
#T, Registration < T> ::version, Registration < T> ::tracking, Registration < T> ::key(),  \
            v, k                                                                                   \
    }
    const Row rows[] = {
        ROW(CElement, 0, nullptr),
        ROW(CRoadFeature, 2, "CRoadFeature"),
        ROW(CStatDetector, 1, nullptr),
        ROW(CDiscreteDist, 1, "CDiscreteDist"),
        ROW(CDistribution, 1, nullptr),
        ROW(CConstantDist, 0, "CConstantDist"),
        ROW(CContinuousDist, 0, "CContinuousDist"),
        ROW(CVehicleTypes, 1, nullptr),
        ROW(CVehicleType, 1, "CVehicleType"),
        ROW(VehicleTypeCriterion, 0, nullptr),
        ROW(CIDMParameterSet, 0, "CIDMParameterSet"),
        ROW(CParameter, 1, nullptr),
        ROW(CBridge, 1, "CBridge"),
        ROW(CLoadEffect, 2, nullptr),
        ROW(CInfluenceLine, 0, nullptr),
        ROW(CInfLineDiscrete, 0, "CInfLineDiscrete"),
        ROW(CInfLineFunction, 0, "CInfLineFunction"),
        ROW(CEventManager, 3, nullptr),
        ROW(CEventBase, 0, nullptr),
        ROW(CEventBM, 0, nullptr),
        ROW(CEventPT, 0, nullptr),
        ROW(CEventAll, 0, "CEventAll"),
        ROW(CEventBlockMax, 0, "CEventBlockMax"),
        ROW(CEventBlockMin, 0, "CEventBlockMin"),
        ROW(CEventPOT, 0, "CEventPOT"),
        ROW(CEventPUT, 0, "CEventPUT"),
    };
#undef ROW
    for (const Row& row : rows) {
        EXPECT_EQ(row.version, row.expectedVersion) << row.name;
        EXPECT_EQ(row.tracking, track_selectively) << row.name;
        if (!row.expectedKey) {
            EXPECT_EQ(row.key, nullptr) << row.name;
            continue;
        }
        ASSERT_NE(row.key, nullptr) << row.name;
        EXPECT_STREQ(row.key, row.expectedKey) << row.name;
        // The key is known to the program, so a file naming it can be read.
        EXPECT_NE(boost::serialization::extended_type_info::find(row.expectedKey), nullptr)
            << row.name;
    }
    EXPECT_EQ(Registration<WideString>::version, 0);
}

} // namespace
} // namespace tarlo
