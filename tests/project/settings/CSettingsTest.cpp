#include "SettingsTestSupport.h"

#include <set>

namespace tarlo::test {
namespace {

struct DefaultRow {
    const char* key;
    double value;
};

const DefaultRow kDefaults[] = {
    {"FILE_BUFFER_MB", 1},
    {"MIN_SPACE_FOR_NEXT_VEHICLE", 27.0},
    {"SAFE_BRAKING", -12.0},
    {"LC_MIN_GAP", 2.0},
    {"LC_T_DELAY", 1.6},
    {"LC_FOLLOWER", 1},
    {"LC_FOLLOWER_FASTLANE", 1},
    {"DESIRED_GAP_MODEL", 0},
    {"ROAD_END_BUFFER", 1000},
    {"BRIDGE_ON_BUFFER", 10.0},
    {"MAX_SLOPE", 15},
    {"T_SLOPE", 10.0},
    {"V0_SLOPE", 0.2},
    {"V0_MIN", 0.1},
    {"A_MIN", 0.1},
    {"A_FLAG", 1},
    {"B_FLAG", 1},
    {"SPEEDLIMIT_MIN", 10},
    {"SPEEDLIMIT_MAX", 200},
    {"MTS_PER_YR", 10},
    {"DAYS_PER_MT", 25},
    {"MIN_VIEW_SCALE", 0.1},
    {"DATATIP_DELAY", 20.0},
    {"TIMEWARP_SIMSTEP", 20},
    {"TIMEWARP_TEP", 1.0},
    {"ZOOM_STEP", 0.2},
    {"PEN_WIDE", 3.0},
    {"PEN_THIN", 1.0},
    {"CLR_BACKGRND", CSettings::rgb(255, 255, 255)},
    {"CLR_ROAD_SURFACE", CSettings::rgb(200, 200, 200)},
    {"CLR_BRIDGE_SURFACE", CSettings::rgb(128, 128, 128)},
    {"CLR_ROAD_LINES", CSettings::rgb(0, 0, 0)},
    {"CLR_RULER_LINES", CSettings::rgb(0, 0, 0)},
    {"CLR_RULER_TEXT", CSettings::rgb(0, 0, 0)},
    {"CLR_LEGEND_TEXT", CSettings::rgb(0, 0, 0)},
    {"CLR_VEH_HIGHLIGHT", CSettings::rgb(255, 255, 0)},
    {"CLR_DET_OUTPUT", CSettings::rgb(255, 255, 0)},
    {"CLR_DET_FLOWDENSITY", CSettings::rgb(0, 255, 0)},
    {"CLR_DET_HEADWAY", CSettings::rgb(0, 0, 255)},
    {"CLR_DET_COMPOSITION", CSettings::rgb(0, 0, 0)},
    {"CLR_FEAT_SPEEDLIMIT", CSettings::rgb(255, 0, 0)},
    {"CLR_FEAT_GRADIENT", CSettings::rgb(0, 255, 0)},
    {"CLR_FEAT_OBSTACLE", CSettings::rgb(255, 255, 255)},
    {"CLR_FEAT_POLITE", CSettings::rgb(255, 235, 205)},
    {"CLR_FEAT_BIAS", CSettings::rgb(255, 255, 0)},
    {"CLR_FEAT_LCBAN", CSettings::rgb(0, 0, 255)},
    {"CLR_DET_MACRO", CSettings::rgb(150, 150, 150)},
    {"CLR_DET_MICRO", CSettings::rgb(150, 150, 150)},
    {"CLR_DET_OCCUPANCY", CSettings::rgb(150, 150, 150)},
    {"CLR_DET_ST_SMS", CSettings::rgb(255, 69, 0)},
    {"CLR_DET_ST_DENSITY", CSettings::rgb(255, 165, 0)},
    {"CLR_FEAT_GAP", CSettings::rgb(255, 165, 0)},
    {"DET_LINE_LENGTH", 20},
    {"VEH_BOX_HEIGHT", 10},
    {"VEH_BOX_WIDTH", 20},
    {"SEG_BOX_HEIGHT", 30},
    {"SEG_BOX_WIDTH", 80},
    {"SYMBOL_TO_TEXT", 20},
};

TEST(SettingsDefaults, EveryKeyStartsAtItsDefault) {
    CSettings settings;
    EXPECT_EQ(settings.m_Version, 1u);
    ASSERT_EQ(std::size(kDefaults), CSettings::keys().size());
    for (const DefaultRow& row : kDefaults)
        EXPECT_DOUBLE_EQ(settingValue(settings, settingKey(row.key)), row.value) << row.key;
}

TEST(SettingsDefaults, KeysAreUniqueAndReachDistinctFields) {
    CSettings settings;
    std::set<std::string_view> names;
    std::set<const void*> fields;
    for (const CSettings::Key& key : CSettings::keys()) {
        EXPECT_TRUE(names.insert(key.name).second) << key.name;
        const void* field =
            std::visit([](auto* p) { return static_cast<const void*>(p); }, key.field(settings));
        EXPECT_TRUE(fields.insert(field).second) << key.name;
    }
}

TEST(SettingsDefaults, ColoursAreListedInTheWindowOrder) {
    std::vector<std::string_view> labels;
    for (const CSettings::Key& key : CSettings::keys())
        if (key.group == "Colours")
            labels.push_back(key.label);
    const std::vector<std::string_view> expected{"Background",
                                                 "Road surface",
                                                 "Bridge surface",
                                                 "Road lines",
                                                 "Ruler lines",
                                                 "Ruler text",
                                                 "Legend text",
                                                 "Vehicle highlight",
                                                 "Output detector",
                                                 "Flow density detector",
                                                 "Headway detector",
                                                 "Composition detector",
                                                 "Macro-stats detector",
                                                 "Micro-stats detector",
                                                 "Occupancy detector",
                                                 "Space-Time SMS detector",
                                                 "Space-Time density detector",
                                                 "Speedlimit feature",
                                                 "Gradient feature",
                                                 "Obstacle feature",
                                                 "Politeness feature",
                                                 "Bias feature",
                                                 "Lane Change Ban feature",
                                                 "Gap feature"};
    EXPECT_EQ(labels, expected);
}

TEST(SettingsDefaults, ResetRestoresEveryKey) {
    CSettings settings = everyKeyChanged();
    ASSERT_EQ(differingKeys(settings, CSettings()).size(), CSettings::keys().size());
    settings.resetDefaults();
    EXPECT_EQ(differingKeys(settings, CSettings()), std::vector<std::string>{});
    EXPECT_TRUE(settings == CSettings());
}

struct AcceptRow {
    const char* key;
    const char* value;
    bool accepted;
    double stored; // the key's value afterwards
};

const AcceptRow kAcceptRows[] = {
    {"SAFE_BRAKING", "0", false, -12.0},
    {"SAFE_BRAKING", "3", false, -12.0},
    {"SAFE_BRAKING", "-0.000001", false, -12.0},
    {"SAFE_BRAKING", "-8", true, -8.0},
    {"SPEEDLIMIT_MIN", "5", false, 10},
    {"SPEEDLIMIT_MIN", "6", true, 6},
    {"SPEEDLIMIT_MAX", "300", false, 200},
    {"SPEEDLIMIT_MAX", "299", true, 299},
    {"DESIRED_GAP_MODEL", "Exponential decay", true, 3},
    {"DESIRED_GAP_MODEL", "1/4 of delta V term", true, 2},
    {"DESIRED_GAP_MODEL", "1", true, 1},
    {"DESIRED_GAP_MODEL", "4", false, 0},
    {"DESIRED_GAP_MODEL", "-1", false, 0},
    {"FILE_BUFFER_MB", "0", false, 1},
    {"FILE_BUFFER_MB", "-1", false, 1},
    {"FILE_BUFFER_MB", "8", true, 8},
    {"BRIDGE_ON_BUFFER", "0", false, 10.0},
    {"BRIDGE_ON_BUFFER", "0.000001", true, 0.000001},
    {"LC_T_DELAY", "0.00001", false, 1.6},
    {"LC_T_DELAY", "2.5", true, 2.5},
    {"PEN_THIN", "abc", false, 1.0},
    {"PEN_THIN", "1.5x", false, 1.0},
    {"PEN_THIN", "", false, 1.0},
    {"PEN_THIN", "nan", false, 1.0},
    {"PEN_THIN", "inf", false, 1.0},
    {"MAX_SLOPE", "2.5", false, 15},
    {"MAX_SLOPE", "99999999999999999999", false, 15},
    {"DAYS_PER_MT", "0", false, 25},
    {"TIMEWARP_SIMSTEP", "0", false, 20},
    {"LC_FOLLOWER", "false", true, 0},
    {"LC_FOLLOWER", "maybe", false, 1},
    {"B_FLAG", "0", true, 0},
    {"CLR_FEAT_GAP", "16777215", true, 16777215},
    {"CLR_FEAT_GAP", "16777216", false, CSettings::rgb(255, 165, 0)},
    {"SYMBOL_TO_TEXT", "0", false, 20},
};

TEST(SettingsAccept, EditedValuesOutsideTheirRangeAreIgnored) {
    for (const AcceptRow& row : kAcceptRows) {
        CSettings settings;
        EXPECT_EQ(settings.accept(row.key, row.value), row.accepted)
            << row.key << " = \"" << row.value << "\"";
        EXPECT_DOUBLE_EQ(settingValue(settings, settingKey(row.key)), row.stored)
            << row.key << " = \"" << row.value << "\"";
        for (const std::string& changed : differingKeys(settings, CSettings()))
            EXPECT_EQ(changed, row.key);
    }
}

TEST(SettingsAccept, RejectedValueKeepsTheValueInForce) {
    CSettings settings;
    ASSERT_TRUE(settings.accept("SAFE_BRAKING", "-8"));
    EXPECT_FALSE(settings.accept("SAFE_BRAKING", "0"));
    EXPECT_DOUBLE_EQ(settings.IDM.SAFE_BRAKING, -8.0);
}

TEST(SettingsAccept, UnknownKeyChangesNothing) {
    CSettings settings;
    EXPECT_FALSE(settings.accept("NO_SUCH_KEY", "1"));
    EXPECT_FALSE(settings.accept("m_Version", "2"));
    EXPECT_TRUE(settings == CSettings());
}

TEST(SettingsAccept, DesiredGapModelLabelsInIndexOrder) {
    const auto labels = CSettings::desiredGapModelLabels();
    const std::vector<std::string_view> expected{"s* is limited to s0", "No limit applied to s*",
                                                 "1/4 of delta V term", "Exponential decay"};
    EXPECT_EQ(std::vector<std::string_view>(labels.begin(), labels.end()), expected);
}

TEST(ArchiveErrorHint, ByLibraryMessage) {
    const std::string streamHint =
        "asymmetric serialization, including attempt to load empty archive?";
    const std::pair<std::string, std::string> rows[] = {
        {"coding error", "Boost.Serialization library problem"},
        {"unrecognized XML syntax",
         "name-value-pair name contains illegal chars including whitespace?"},
        {"unregistered class", "missing BOOST_CLASS_EXPORT(SubClass) macro?"},
        {"unregistered class - CBridge", "missing BOOST_CLASS_EXPORT(SubClass) macro?"},
        {"unregistered void cast",
         "missing ar & BOOST_SERIALIZATION_BASE_OBJECT_NVP(BaseClass) statement?"},
        {"unregistered void cast CBridge<-CElement",
         "missing ar & BOOST_SERIALIZATION_BASE_OBJECT_NVP(BaseClass) statement?"},
        {"stream error", streamHint},
        {"input stream error", streamHint},
        {"input stream error-No such file or directory", streamHint},
        {"output stream error", streamHint},
        {"stream errors", "no local interpretation"},
        {"XML start/end tag mismatch - PEN_THIN", "no local interpretation"},
        {"invalid signature", "no local interpretation"},
        {"", "no local interpretation"},
    };
    for (const auto& [message, hint] : rows)
        EXPECT_EQ(CSettings::interpretArchiveError(message), hint) << message;
}

} // namespace
} // namespace tarlo::test
