#include "project/ArchiveText.h"
#include "project/ProjectFile.h"
#include "project/settings/CSettings.h"
#include "support/RecordingHost.h"
#include "support/TrafficFixture.h"
#include "vehicles/CVehicleTypes.h"

#include <boost/archive/basic_archive.hpp>
#include <boost/serialization/shared_ptr.hpp>
#include <boost/serialization/vector.hpp>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace tarlo {
namespace {

using test::TempDir;
namespace fs = std::filesystem;

const std::string LayoutHeader =
    "<boost_serialization signature=\"serialization::archive\" version=\"11\">";

using test::readBytes;
using test::writeBytes;

// The text with the archive version of its header replaced.
std::string withArchiveVersion(std::string text, unsigned version) {
    const std::string attribute = "signature=\"serialization::archive\" version=\"";
    const std::size_t at = text.find(attribute);
    EXPECT_NE(at, std::string::npos);
    if (at == std::string::npos)
        return text;
    const std::size_t digits = at + attribute.size();
    return text.replace(digits, text.find('"', digits) - digits, std::to_string(version));
}

// The text the program writes for the project that the text holds.
std::string resaved(const TempDir& dir, const std::string& text, const std::string& extension) {
    const std::string path = dir.file("in" + extension);
    writeBytes(path, text);
    ProjectFields fields;
    const ProjectFile::Result loaded = ProjectFile::load(fields, path);
    EXPECT_TRUE(loaded.ok) << loaded.error;
    const std::string saved = dir.file("out.tlp");
    EXPECT_TRUE(ProjectFile::save(fields, saved).ok);
    return readBytes(saved);
}

// A few items of every kind the archives hold: numbers, texts, lists of values and of
// classes, tracked objects through shared pointers and exported classes.
void writeSample(boost::archive::xml_oarchive& ar) {
    const int number = 6;
    const std::vector<double> values{0.25, 0.5};
    std::vector<CDiscreteDist> dists{CDiscreteDist(3, "Geschwindigkeiten")};
    const std::shared_ptr<CVehicleTypes> types = std::make_shared<CVehicleTypes>();
    ar << boost::serialization::make_nvp("m_Version", number);
    ar << boost::serialization::make_nvp("m_Values", values);
    ar << boost::serialization::make_nvp("m_vDiscreteDists", dists);
    ar << boost::serialization::make_nvp("m_pVehicleTypes", types);
}

// The library writes the same elements whatever version the header names: the files differ
// from the library's own output in the header's version only.
TEST(ArchiveHeader, OnlyTheHeaderDiffersFromTheLibrarysOwnOutput) {
    std::ostringstream own;
    {
        boost::archive::xml_oarchive ar(own);
        writeSample(ar);
    }
    const std::string ours = archiveText(writeSample);
    EXPECT_EQ(withArchiveVersion(ours, boost::archive::BOOST_ARCHIVE_VERSION()), own.str());
    EXPECT_NE(ours.find("\n" + LayoutHeader + "\n"), std::string::npos);
}

// Files of every revision, with the layout's version or the library's own, load alike.
TEST(ArchiveHeader, EveryFileLoadsAlikeWithEitherVersion) {
    TempDir dir("tarlo-archive-header");
    for (const char* name : {"project_rev0.tlp", "legacy_rev1.qtf", "project_rev3.tlp",
                             "project_rev4.tlp", "windows_rev6.tlp"}) {
        SCOPED_TRACE(name);
        const std::string text = readBytes(std::string(TARLO_TEST_DATA) + "/project/" + name);
        const std::string extension = ProjectFile::extension(name);
        const std::string expected = resaved(dir, text, extension);
        EXPECT_NE(expected.find(LayoutHeader), std::string::npos);
        for (unsigned version : {11u, unsigned(boost::archive::BOOST_ARCHIVE_VERSION())})
            EXPECT_EQ(resaved(dir, withArchiveVersion(text, version), extension), expected)
                << version;
    }
}

TEST(ArchiveHeader, SettingsLoadAlikeWithEitherVersion) {
    TempDir dir("tarlo-archive-header-settings");
    test::RecordingHost host;
    CSettings changed;
    changed.Time.DAYS_PER_MT = 20;
    changed.View.PEN_WIDE = 2.5;
    const std::string path = dir.file("Tarlo.xml");
    ASSERT_TRUE(changed.save(path, host));
    const std::string text = readBytes(path);
    EXPECT_NE(text.find(LayoutHeader), std::string::npos);
    writeBytes(path, withArchiveVersion(text, boost::archive::BOOST_ARCHIVE_VERSION()));
    CSettings loaded;
    EXPECT_TRUE(loaded.load(path, host));
    EXPECT_TRUE(loaded == changed);
    EXPECT_TRUE(host.messages.empty());
}

} // namespace
} // namespace tarlo
