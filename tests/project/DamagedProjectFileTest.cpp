#include "bridges/CInfLineFunction.h"
#include "project/ArchiveCheck.h"
#include "project/ArchiveText.h"
#include "project/ProjectFile.h"

#include "support/DamagedArchives.h"
#include "support/TrafficFixture.h"

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

using test::readBytes;
using test::writeBytes;

std::string fixtureText(const std::string& name) {
    return readBytes(std::string(TARLO_TEST_DATA) + "/project/" + name);
}

TEST(DamagedProjectFile, EachDamageIsRefusedWithTheLibrarysMessage) {
    TempDir dir("tarlo-damaged");
    const std::string good = fixtureText("windows_rev6.tlp");
    for (const test::ArchiveDamage& damage : test::projectDamages()) {
        SCOPED_TRACE(damage.name);
        const std::string text = test::damaged(good, damage);
        ASSERT_NE(text, good);
        const std::string path = dir.file("damaged.tlp");
        writeBytes(path, text);

        ProjectFields f;
        f.m_RoadLength = 123;
        const ProjectFile::Result result = ProjectFile::load(f, path);
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(result.error, damage.error);
        EXPECT_EQ(f.m_RoadLength, 123);
        EXPECT_TRUE(f.m_vStatDetectors.empty());
        EXPECT_EQ(readBytes(path), text);
    }
}

// A file cut short at any place is refused before the library reads any of it.
TEST(DamagedProjectFile, AFileCutAnywhereIsRefused) {
    TempDir dir("tarlo-damaged-cut");
    const std::string good = fixtureText("windows_rev6.tlp");
    const std::string path = dir.file("cut.tlp");
    const std::size_t end = good.find_last_of('>');
    // A prime step, so the cuts fall at every kind of place.
    for (std::size_t length = 0; length < end; length += 101) {
        SCOPED_TRACE(length);
        writeBytes(path, good.substr(0, length));
        ProjectFields f;
        f.m_RoadLength = 123;
        const ProjectFile::Result result = ProjectFile::load(f, path);
        ASSERT_FALSE(result.ok);
        ASSERT_FALSE(result.error.empty());
        ASSERT_EQ(f.m_RoadLength, 123);
        ASSERT_EQ(readBytes(path), good.substr(0, length));
    }
}

// Every file the program writes, and every older file it reads, passes the check.
TEST(DamagedProjectFile, GoodFilesPassTheCheck) {
    for (const char* name : {"legacy_rev1.qtf", "project_rev0.tlp", "project_rev3.tlp",
                             "project_rev4.tlp", "windows_rev6.tlp"}) {
        SCOPED_TRACE(name);
        EXPECT_NO_THROW(checkArchiveText(fixtureText(name)));
    }
    TempDir dir("tarlo-damaged-good");
    const std::string path = dir.file("p.tlp");
    writeBytes(path, fixtureText("windows_rev6.tlp"));
    ProjectFields f;
    ASSERT_TRUE(ProjectFile::load(f, path).ok);
    const std::string saved = dir.file("saved.tlp");
    ASSERT_TRUE(ProjectFile::save(f, saved).ok);
    EXPECT_NO_THROW(checkArchiveText(readBytes(saved)));
}

// A second pointer to an object is written as a reference to the object's number.
TEST(DamagedProjectFile, ReferencesToSharedObjectsPassTheCheck) {
    const std::shared_ptr<CInfluenceLine> shared = std::make_shared<CInfLineFunction>(612, 30.0);
    const std::vector<std::shared_ptr<CInfluenceLine>> lines = {
        shared, std::make_shared<CInfLineDiscrete>(), shared};
    const std::string text = archiveText([&](boost::archive::xml_oarchive& ar) {
        ar << boost::serialization::make_nvp("lines", lines);
    });
    ASSERT_NE(text.find("object_id_reference=\"_0\""), std::string::npos) << text;
    EXPECT_NO_THROW(checkArchiveText(text));
}

// Element names are not compared with the names the program expects: the library would
// read its expected name past its end to do so. An element renamed in both its tags is read
// by its place, as the library always did for the top level.
TEST(DamagedProjectFile, AnElementRenamedInBothTagsIsReadByItsPlace) {
    TempDir dir("tarlo-damaged-renamed");
    const std::string path = dir.file("renamed.tlp");
    writeBytes(path, test::damaged(fixtureText("windows_rev6.tlp"),
                                   {"renamed", "<m_ParamA>500</m_ParamA>",
                                    "<m_ParamA_renamed>500</m_ParamA_renamed>", ""}));
    ProjectFields f;
    const ProjectFile::Result result = ProjectFile::load(f, path);
    ASSERT_TRUE(result.ok) << result.error;
    ASSERT_EQ(f.m_vStatDetectors.size(), 1u);
    EXPECT_EQ(f.m_vStatDetectors[0].getParamA(), 500);
}

TEST(DamagedProjectFile, BrokenTextIsRefused) {
    const struct {
        const char* name;
        std::string text;
        const char* error;
    } rows[] = {
        {"no root", "<?xml version=\"1.0\"?>\n", "input stream error-no archive"},
        {"cut inside a tag", "<boost_serialization><m_Version",
         "input stream error-end of file inside <boost_serialization>"},
        {"cut inside an attribute", "<a><b class_id=\"1",
         "input stream error-end of file inside <a>"},
        {"comment inside", "<a><!-- x --></a>", "unrecognized XML syntax"},
        {"name starting with a digit", "<a><1b></1b></a>", "unrecognized XML syntax"},
        {"attribute without quotes", "<a><b class_id=1></b></a>", "unrecognized XML syntax"},
        {"number with trailing text", "<a><b class_id=\"1x\"></b></a>", "unrecognized XML syntax"},
        {"object number without underscore",
         "<a><b class_id=\"0\" tracking_level=\"1\" version=\"0\" object_id=\"0\"></b></a>",
         "unrecognized XML syntax"},
        {"end tag without start tag", "<a></b></a>", "XML start/end tag mismatch - b"},
        {"class without tracking level", "<a><b class_id=\"0\" version=\"0\"></b></a>",
         "invalid archive numbering - class_id 0 without tracking_level or version"},
        // Numbers far beyond the file's size are refused before anything is made of them.
        {"class number beyond the elements",
         "<a><b class_id=\"999999999999\" tracking_level=\"0\" version=\"0\"></b></a>",
         "invalid archive numbering - class_id 999999999999 beyond the elements read"},
        {"null pointer with an object", "<a><px class_id=\"-1\" object_id=\"_0\"></px></a>",
         "invalid archive numbering - a null pointer with an object"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        try {
            checkArchiveText(row.text);
            ADD_FAILURE() << "accepted";
        } catch (const std::exception& e) {
            EXPECT_EQ(std::string(e.what()), row.error);
        }
    }
}

} // namespace
} // namespace tarlo
