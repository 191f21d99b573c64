#include "CliSupport.h"

#include "project/settings/CSettings.h"
#include "support/DamagedArchives.h"
#include "support/RecordingHost.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace tarlo::test {
namespace {

void writeText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::string savedSettings(const TempDir& dir) {
    const std::string path = dir.file("good.xml");
    RecordingHost host;
    EXPECT_TRUE(CSettings().save(path, host));
    return readFile(path);
}

// Settings files cut short or with a broken tag, as users meet them.
std::vector<std::pair<std::string, std::string>> damagedSettings(const std::string& good) {
    const std::size_t penThin = good.find("<PEN_THIN>");
    return {
        {"no closing tag", good.substr(0, good.find("</boost_serialization>"))},
        {"cut inside an element", good.substr(0, penThin + 4)},
        {"cut inside a value", good.substr(0, penThin + 11)},
        {"end tag longer than its start tag",
         std::string(good).replace(good.find("</PEN_THIN>"), 11, "</PEN_THIN_AND_WIDE>")},
        {"empty", ""},
    };
}

// A damaged project ends the command with exit 3 and the load message naming the file; the
// program is not killed by a signal and the file stays as it was.
TEST(DamagedFiles, ADamagedProjectExitsThreeNamingTheFile) {
    TempDir dir;
    const std::string good = readFile(std::string(TARLO_TEST_DATA) + "/project/windows_rev6.tlp");
    for (const ArchiveDamage& damage : projectDamages()) {
        SCOPED_TRACE(damage.name);
        const std::string path = dir.file("damaged.tlp");
        const std::string text = damaged(good, damage);
        writeText(path, text);
        const CliResult result = runTarlo(dir, "validate '" + path + "'");
        EXPECT_EQ(result.exitCode, 3) << result.err;
        EXPECT_TRUE(contains(result.err,
                             path + ": Problem loading file.\nBoost reports: " + damage.error))
            << result.err;
        EXPECT_EQ(readFile(path), text);
    }
}

// An explicit settings file must load: exit 3, and no claim that the defaults are used.
TEST(DamagedFiles, ADamagedSettingsFileNamedOnTheCommandLineExitsThree) {
    TempDir dir;
    for (const auto& [what, text] : damagedSettings(savedSettings(dir))) {
        SCOPED_TRACE(what);
        const std::string path = dir.file("damaged.xml");
        writeText(path, text);
        const CliResult result =
            runTarlo(dir, "--settings '" + path + "' validate '" + dir.file("p.tlp") + "'");
        EXPECT_EQ(result.exitCode, 3) << result.err;
        EXPECT_TRUE(contains(result.err, path + ": Problem loading Program Settings file.\nBoost reports: "))
            << result.err;
        EXPECT_FALSE(contains(result.err, "default")) << result.err;
        EXPECT_TRUE(contains(result.err, "tarlo: cannot load settings " + path)) << result.err;
        EXPECT_EQ(readFile(path), text);
    }
}

// The user's own settings file never stops the program: the message, then the defaults.
TEST(DamagedFiles, ADamagedUserSettingsFileFallsBackToTheDefaults) {
    TempDir dir;
    const std::string config = dir.file("home-config");
    const std::string path = config + "/Tarlo/Tarlo.xml";
    std::filesystem::create_directories(config + "/Tarlo");
    for (const auto& [what, text] : damagedSettings(savedSettings(dir))) {
        SCOPED_TRACE(what);
        writeText(path, text);
        const CliResult result = runTarlo(
            dir, "traffic generate '" + dir.file("t.cas") + "' --format castor --vehicles 2",
            config);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        EXPECT_TRUE(contains(result.err, path + ": Problem loading Program Settings file.\nBoost reports: "))
            << result.err;
        EXPECT_TRUE(contains(result.err, "\nUsing default values instead.")) << result.err;
        EXPECT_EQ(readFile(path), text);
    }
}

} // namespace
} // namespace tarlo::test
