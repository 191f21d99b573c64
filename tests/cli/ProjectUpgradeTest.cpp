#include "CliSupport.h"

#include "project/ProjectFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace tarlo::test {
namespace {

namespace fs = std::filesystem;

std::string fixture(const TempDir& dir, const std::string& name) {
    const std::string path = dir.file(name);
    fs::copy_file(std::string(TARLO_TEST_DATA) + "/project/" + name, path,
                  fs::copy_options::overwrite_existing);
    return path;
}

// What the program itself writes for the project the file holds.
std::string resaved(const TempDir& dir, const std::string& path) {
    const std::string copy = dir.file("copy" + ProjectFile::extension(path));
    fs::copy_file(path, copy, fs::copy_options::overwrite_existing);
    ProjectFields fields;
    EXPECT_TRUE(ProjectFile::load(fields, copy).ok);
    const std::string saved = dir.file("resaved.tlp");
    EXPECT_TRUE(ProjectFile::save(fields, saved).ok);
    const std::string text = readFile(saved);
    fs::remove(copy);
    fs::remove(saved);
    return text;
}

std::vector<std::string> folderNames(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(ProjectUpgrade, EveryRevisionBecomesACurrentProjectAndTheOldFileStays) {
    for (const char* name : {"project_rev0.tlp", "legacy_rev1.qtf", "project_rev3.tlp",
                             "project_rev4.tlp", "windows_rev6.tlp"}) {
        SCOPED_TRACE(name);
        TempDir dir;
        const std::string old = fixture(dir, name);
        const std::string before = readFile(old);
        const std::string expected = resaved(dir, old);
        const std::string upgraded = dir.file("upgraded.tlp");

        const CliResult result = runTarlo(dir, "upgrade '" + old + "' '" + upgraded + "'");
        ASSERT_EQ(result.exitCode, 0) << result.err;
        EXPECT_EQ(result.out, "Project written: " + upgraded + " (revision 6)\n");
        EXPECT_EQ(readFile(old), before);
        EXPECT_EQ(readFile(upgraded), expected);
        EXPECT_NE(expected.find("version=\"11\">\r\n<m_Version>6</m_Version>\r\n"),
                  std::string::npos);
    }
}

TEST(ProjectUpgrade, PointsTheProjectAtAnotherTrafficFile) {
    TempDir dir;
    const std::string old = fixture(dir, "legacy_rev1.qtf");
    const std::string upgraded = dir.file("moved.tlp");
    const CliResult result = runTarlo(dir, "upgrade '" + old + "' '" + upgraded +
                                               "' --traffic data/a9.kir --format kirro");
    ASSERT_EQ(result.exitCode, 0) << result.err;
    ProjectFields fields;
    ASSERT_TRUE(ProjectFile::load(fields, upgraded).ok);
    EXPECT_EQ(fields.m_FileIn, "data/a9.kir");
    EXPECT_EQ(fields.m_FileType, 102);
}

TEST(ProjectUpgrade, InPlaceReplacesTheOldFileAndLeavesNothingBeside) {
    TempDir dir;
    const std::string old = fixture(dir, "project_rev3.tlp");
    const std::string expected = resaved(dir, old);
    const CliResult result = runTarlo(dir, "upgrade '" + old + "' --in-place");
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(readFile(old), expected);
    EXPECT_EQ(folderNames(dir.path()),
              (std::vector<std::string>{"project_rev3.tlp", "stderr.txt", "stdout.txt"}));
}

TEST(ProjectUpgrade, RefusesWithoutTouchingAFile) {
    TempDir dir;
    const std::string old = fixture(dir, "windows_rev6.tlp");
    const std::string legacy = fixture(dir, "legacy_rev1.qtf");
    const std::string existing = dir.file("existing.tlp");
    std::ofstream(existing) << "mine\n";
    std::string damaged = readFile(old);
    damaged.resize(damaged.find("<m_vBridges"));
    const std::string broken = dir.file("broken.tlp");
    std::ofstream(broken, std::ios::binary) << damaged;
    const std::string fresh = dir.file("fresh.tlp");

    const struct {
        std::string arguments;
        int exitCode;
        std::string message;
    } rows[] = {
        {"'" + old + "' '" + existing + "'", 3, existing + " already exists"},
        {"'" + old + "' '" + old + "'", 3, old + " already exists"},
        {"'" + old + "' '" + dir.file("new.qtf") + "'", 2, "NEW must be a .tlp file"},
        {"'" + old + "'", 2, "missing NEW"},
        {"'" + old + "' '" + fresh + "' --in-place", 2, "unexpected argument"},
        {"'" + legacy + "' --in-place", 2, "--in-place needs a .tlp project"},
        {"'" + old + "' '" + fresh + "' --format lorry", 2, "lorry"},
        {"'" + broken + "' '" + fresh + "'", 3, broken + ": Problem loading file.\n"},
        {"'" + dir.file("absent.tlp") + "' '" + fresh + "'", 3,
         "cannot read " + dir.file("absent.tlp")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments);
        const std::string oldText = readFile(old);
        const CliResult result = runTarlo(dir, "upgrade " + row.arguments);
        EXPECT_EQ(result.exitCode, row.exitCode) << result.err;
        EXPECT_NE(result.err.find(row.message), std::string::npos) << result.err;
        EXPECT_EQ(readFile(old), oldText);
        EXPECT_EQ(readFile(existing), "mine\n");
        EXPECT_FALSE(fs::exists(fresh));
    }
}

TEST(ProjectUpgrade, HasHelp) {
    TempDir dir;
    for (const std::string line : {"upgrade --help", "help upgrade", "upgrade a.qtf -h"}) {
        const CliResult result = runTarlo(dir, line);
        EXPECT_EQ(result.exitCode, 0) << line;
        EXPECT_EQ(result.out.rfind("Usage: tarlo upgrade OLD NEW [options]\n", 0), 0u)
            << line << result.out;
    }
    const CliResult overview = runTarlo(dir, "--help");
    EXPECT_NE(overview.out.find("  upgrade OLD (NEW | --in-place) [--traffic FILE]"),
              std::string::npos)
        << overview.out;
}

} // namespace
} // namespace tarlo::test
