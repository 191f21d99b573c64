#include "SettingsTestSupport.h"

#include "support/RecordingHost.h"

namespace tarlo::test {
namespace {

namespace fs = std::filesystem;

const std::string kStreamHint =
    "asymmetric serialization, including attempt to load empty archive?";

// The start of the loading message for the file, up to the library's message.
std::string loadingPrefix(const std::filesystem::path& path) {
    return path.string() + ": Problem loading Program Settings file.\nBoost reports: ";
}

// Splits a loading message about the file into the library's message and the hint, checking
// the framing.
std::pair<std::string, std::string> loadingReport(const std::string& text,
                                                  const std::filesystem::path& path) {
    const std::string suffix = "\nUsing default values instead.";
    const std::string prefix = loadingPrefix(path);
    EXPECT_TRUE(text.starts_with(prefix)) << text;
    EXPECT_TRUE(text.ends_with(suffix)) << text;
    const std::size_t possibly = text.find("\nPossibly: ");
    if (possibly == std::string::npos || !text.ends_with(suffix))
        return {};
    const std::size_t hintStart = possibly + std::string("\nPossibly: ").size();
    return {text.substr(prefix.size(), possibly - prefix.size()),
            text.substr(hintStart, text.size() - suffix.size() - hintStart)};
}

std::string eraseLineWith(std::string xml, const std::string& needle) {
    const std::size_t at = xml.find(needle);
    EXPECT_NE(at, std::string::npos) << needle;
    const std::size_t start = xml.rfind('\n', at) + 1;
    const std::size_t end = xml.find('\n', at) + 1;
    return xml.erase(start, end - start);
}

std::string withValue(std::string xml, const std::string& key, const std::string& value) {
    const std::size_t start = xml.find("<" + key + ">") + key.size() + 2;
    const std::size_t end = xml.find("</" + key + ">", start);
    EXPECT_NE(end, std::string::npos) << key;
    return xml.replace(start, end - start, value);
}

class SettingsFile : public SettingsFolder {
protected:
    std::string savedXml(const CSettings& settings) {
        const fs::path path = m_Dir / "saved.xml";
        EXPECT_TRUE(settings.save(path.string(), m_Host));
        return readFile(path);
    }

    RecordingHost m_Host;
};

TEST_F(SettingsFile, RoundTripRestoresEveryKeyButTheGapColour) {
    const CSettings changed = everyKeyChanged();
    const fs::path path = m_Dir / "Tarlo.xml";
    ASSERT_TRUE(changed.save(path.string(), m_Host));

    CSettings loaded;
    EXPECT_TRUE(loaded.load(path.string(), m_Host));
    EXPECT_TRUE(m_Host.messages.empty());

    CSettings expected = changed;
    expected.View.Colours.CLR_FEAT_GAP = CSettings::rgb(255, 165, 0);
    EXPECT_EQ(differingKeys(loaded, expected), std::vector<std::string>{});
    EXPECT_NE(changed.View.Colours.CLR_FEAT_GAP, loaded.View.Colours.CLR_FEAT_GAP);
}

TEST_F(SettingsFile, FileHasTheArchiveFramingAndCrLfLines) {
    const std::string xml = savedXml(CSettings());
    // The archive version is the one of the file layout, not the library's own.
    EXPECT_TRUE(
        xml.starts_with("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\r\n"
                        "<!DOCTYPE boost_serialization>\r\n"
                        "<boost_serialization signature=\"serialization::archive\" version=\"11\">"
                        "\r\n<m_Version>1</m_Version>\r\n"))
        << xml;
    const std::size_t last = xml.find_last_not_of("\r\n") + 1;
    EXPECT_EQ(xml.substr(0, last).ends_with("\r\n</boost_serialization>"), true);
    EXPECT_EQ(std::count(xml.begin(), xml.end(), '\n'), std::count(xml.begin(), xml.end(), '\r'));
}

TEST_F(SettingsFile, ElementsAppearInFileOrder) {
    const std::string xml = savedXml(CSettings());
    const std::vector<std::string> order{"<m_Version>",
                                         "<General ",
                                         "<FILE_BUFFER_MB>",
                                         "<IDM ",
                                         "<SAFE_BRAKING>",
                                         "<DESIRED_GAP_MODEL>",
                                         "<Road ",
                                         "<ROAD_END_BUFFER>",
                                         "<RoadFeatures ",
                                         "<Gradient ",
                                         "<MAX_SLOPE>",
                                         "<IDM_Modifiers ",
                                         "<B_FLAG>",
                                         "<SpeedLimit ",
                                         "<SPEEDLIMIT_MAX>",
                                         "<Time ",
                                         "<MTS_PER_YR>",
                                         "<DAYS_PER_MT>",
                                         "<View ",
                                         "<PEN_THIN>",
                                         "<Colours ",
                                         "<CLR_DET_COMPOSITION>",
                                         "<CLR_FEAT_SPEEDLIMIT>",
                                         "<CLR_FEAT_LCBAN>",
                                         "<CLR_DET_MACRO>",
                                         "<CLR_DET_ST_DENSITY>",
                                         "<Legend ",
                                         "<SYMBOL_TO_TEXT>",
                                         "</View>"};
    std::size_t last = 0;
    for (const std::string& tag : order) {
        const std::size_t at = xml.find(tag);
        ASSERT_NE(at, std::string::npos) << tag;
        EXPECT_GT(at, last) << tag;
        last = at;
    }
    EXPECT_EQ(xml.find("CLR_FEAT_GAP"), std::string::npos);
    // Every group struct is at class version 0.
    // Every group struct is at class version 0.
    for (std::size_t at = xml.find("<m_Version>");
         (at = xml.find(" version=\"", at)) != std::string::npos; ++at)
        EXPECT_EQ(xml.substr(at, 13), " version=\"0\">") << xml.substr(xml.rfind('<', at), 40);
}

TEST_F(SettingsFile, LineFeedOnlyFileLoads) {
    std::string xml = savedXml(everyKeyChanged());
    std::erase(xml, '\r');
    const fs::path path = m_Dir / "lf.xml";
    writeFile(path, xml);
    CSettings loaded;
    EXPECT_TRUE(loaded.load(path.string(), m_Host));
    EXPECT_TRUE(m_Host.messages.empty());
    EXPECT_DOUBLE_EQ(loaded.View.PEN_THIN, 1.5);
}

TEST_F(SettingsFile, MissingFileShowsTheLoadingMessage) {
    CSettings settings = everyKeyChanged();
    const fs::path absent = m_Dir / "absent" / "Tarlo.xml";
    EXPECT_FALSE(settings.load(absent.string(), m_Host));
    ASSERT_EQ(m_Host.messages.size(), 1u);
    EXPECT_EQ(m_Host.messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(m_Host.messages[0].text,
              loadingPrefix(absent) + "input stream error-No such file or directory\nPossibly: " +
                  kStreamHint + "\nUsing default values instead.");
    EXPECT_TRUE(settings == CSettings());
}

// Broken files: each load fails with one message and leaves every key at its default, even
// the keys the archive read before it met the fault.
TEST_F(SettingsFile, BrokenFileFallsBackToDefaults) {
    const std::string good = savedXml(everyKeyChanged());
    const std::string withoutPenThin = eraseLineWith(good, "<PEN_THIN>");
    const std::size_t penThin = good.find("<PEN_THIN>");
    const std::pair<std::string, std::string> files[] = {
        {"view without PEN_THIN", withoutPenThin},
        {"cut after the IDM group", good.substr(0, good.find("<Road "))},
        // Every group reads; only the archive's closing tag is missing.
        {"no closing tag", good.substr(0, good.find("</boost_serialization>"))},
        {"cut inside a start tag", good.substr(0, penThin + 4)},
        {"cut inside a value", good.substr(0, penThin + 11)},
        {"cut inside an end tag", good.substr(0, good.find("</View>") + 3)},
        {"end tag longer than its start tag",
         std::string(good).replace(good.find("</PEN_THIN>"), 11, "</PEN_THIN_AND_WIDE>")},
        {"empty", ""},
        {"not xml", "FILE_BUFFER_MB = 4\r\n"},
        {"text in a number", withValue(good, "DAYS_PER_MT", "many")},
    };
    for (const auto& [what, contents] : files) {
        SCOPED_TRACE(what);
        const fs::path path = m_Dir / "broken.xml";
        writeFile(path, contents);
        RecordingHost host;
        CSettings settings = everyKeyChanged();
        EXPECT_FALSE(settings.load(path.string(), host));
        EXPECT_EQ(differingKeys(settings, CSettings()), std::vector<std::string>{});
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0].icon, MessageIcon::Error);
        const auto [message, hint] = loadingReport(host.messages[0].text, path);
        EXPECT_FALSE(message.empty());
        EXPECT_EQ(hint, CSettings::interpretArchiveError(message));
    }
}

// A file cut short anywhere, at a line end or inside a tag, a value or the closing tag.
TEST_F(SettingsFile, AFileCutAnywhereFallsBackToTheDefaults) {
    const std::string good = savedXml(everyKeyChanged());
    const fs::path path = m_Dir / "cut.xml";
    const std::size_t end = good.find_last_of('>');
    // A prime step, so the cuts fall at every kind of place.
    for (std::size_t length = 0; length < end; length += 13) {
        SCOPED_TRACE(length);
        writeFile(path, good.substr(0, length));
        RecordingHost host;
        CSettings settings = everyKeyChanged();
        ASSERT_FALSE(settings.load(path.string(), host));
        ASSERT_TRUE(settings == CSettings());
        ASSERT_EQ(host.messages.size(), 1u);
        ASSERT_TRUE(host.messages[0].text.starts_with(loadingPrefix(path)));
    }
}

TEST_F(SettingsFile, MissingPenThinIsReportedAsAStreamError) {
    const fs::path path = m_Dir / "Tarlo.xml";
    writeFile(path, eraseLineWith(savedXml(CSettings()), "<PEN_THIN>"));
    CSettings settings;
    EXPECT_FALSE(settings.load(path.string(), m_Host));
    ASSERT_EQ(m_Host.messages.size(), 1u);
    const auto [message, hint] = loadingReport(m_Host.messages[0].text, path);
    EXPECT_EQ(message, "input stream error");
    EXPECT_EQ(hint, kStreamHint);
}

// A caller that gives up on a file it cannot load keeps the values it has, and the message
// does not claim that the defaults are used.
TEST_F(SettingsFile, AFailedLoadMayKeepTheValues) {
    const fs::path path = m_Dir / "Tarlo.xml";
    const std::string good = savedXml(CSettings());
    writeFile(path, good.substr(0, good.find("</boost_serialization>")));
    const CSettings changed = everyKeyChanged();
    CSettings settings = changed;
    EXPECT_FALSE(settings.load(path.string(), m_Host, CSettings::LoadFailure::KeepValues));
    EXPECT_EQ(differingKeys(settings, changed), std::vector<std::string>{});
    ASSERT_EQ(m_Host.messages.size(), 1u);
    EXPECT_EQ(m_Host.messages[0].text, loadingPrefix(path) +
                                           "input stream error-end of file inside "
                                           "<boost_serialization>\nPossibly: " +
                                           kStreamHint);
}

TEST_F(SettingsFile, OutOfRangeValuesInAFileFallBackToTheirDefaults) {
    std::string xml = savedXml(everyKeyChanged());
    xml = withValue(xml, "DAYS_PER_MT", "0");
    xml = withValue(xml, "DESIRED_GAP_MODEL", "7");
    const fs::path path = m_Dir / "Tarlo.xml";
    writeFile(path, xml);

    CSettings loaded;
    EXPECT_TRUE(loaded.load(path.string(), m_Host));
    EXPECT_EQ(loaded.Time.DAYS_PER_MT, 25);
    EXPECT_EQ(loaded.IDM.DESIRED_GAP_MODEL, 0);
    EXPECT_DOUBLE_EQ(loaded.View.PEN_THIN, 1.5);
    ASSERT_EQ(m_Host.messages.size(), 1u);
    EXPECT_EQ(m_Host.messages[0].icon, MessageIcon::Exclamation);
    EXPECT_NE(m_Host.messages[0].text.find("DESIRED_GAP_MODEL, DAYS_PER_MT"), std::string::npos)
        << m_Host.messages[0].text;
}

TEST_F(SettingsFile, SaveCreatesTheFolderAndReplacesTheFile) {
    const fs::path path = m_Dir / "config" / "Tarlo" / "Tarlo.xml";
    ASSERT_TRUE(everyKeyChanged().save(path.string(), m_Host));
    ASSERT_TRUE(CSettings().save(path.string(), m_Host));
    EXPECT_TRUE(m_Host.messages.empty());
    EXPECT_EQ(std::distance(fs::directory_iterator(path.parent_path()), fs::directory_iterator()),
              1);
    CSettings loaded = everyKeyChanged();
    EXPECT_TRUE(loaded.load(path.string(), m_Host));
    EXPECT_TRUE(loaded == CSettings());
}

TEST_F(SettingsFile, UnwritableLocationReportsFailure) {
    writeFile(m_Dir / "plain", "a file, not a folder");
    fs::create_directories(m_Dir / "folder");
    const std::pair<fs::path, std::string> rows[] = {
        {m_Dir / "plain" / "Tarlo" / "Tarlo.xml", "output stream error-Not a directory"},
        {m_Dir / "folder", "output stream error-Is a directory"},
    };
    for (const auto& [path, message] : rows) {
        SCOPED_TRACE(path.string());
        RecordingHost host;
        EXPECT_FALSE(CSettings().save(path.string(), host));
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0].icon, MessageIcon::Error);
        EXPECT_EQ(host.messages[0].text,
                  "Problem saving file.\nBoost reports: " + message + "\nPossibly: " + kStreamHint);
        EXPECT_FALSE(fs::exists(path.string() + ".new"));
    }
    EXPECT_TRUE(fs::is_directory(m_Dir / "folder"));
}

// Restores the environment variables that locate the configuration folder.
class SettingsLocation : public SettingsFolder {
protected:
    void SetUp() override {
        SettingsFolder::SetUp();
        for (const char* name : {"XDG_CONFIG_HOME", "HOME"}) {
            const char* value = std::getenv(name);
            m_Saved.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
        }
    }
    void TearDown() override {
        for (const auto& [name, value] : m_Saved) {
            if (value)
                ::setenv(name.c_str(), value->c_str(), 1);
            else
                ::unsetenv(name.c_str());
        }
        SettingsFolder::TearDown();
    }

    std::vector<std::pair<std::string, std::optional<std::string>>> m_Saved;
    RecordingHost m_Host;
};

TEST_F(SettingsLocation, ConfigFolderComesFromTheEnvironment) {
    ::setenv("XDG_CONFIG_HOME", "/xdg/config", 1);
    ::setenv("HOME", "/home/user", 1);
    EXPECT_EQ(CSettings::defaultSettingsPath(), "/xdg/config/Tarlo/Tarlo.xml");
    ::setenv("XDG_CONFIG_HOME", "", 1);
    EXPECT_EQ(CSettings::defaultSettingsPath(), "/home/user/.config/Tarlo/Tarlo.xml");
    ::setenv("XDG_CONFIG_HOME", "relative", 1);
    EXPECT_EQ(CSettings::defaultSettingsPath(), "/home/user/.config/Tarlo/Tarlo.xml");
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(CSettings::defaultSettingsPath(), "/home/user/.config/Tarlo/Tarlo.xml");
    ::unsetenv("HOME");
    EXPECT_EQ(CSettings::defaultSettingsPath(), "");
}

TEST_F(SettingsLocation, StartupWithoutConfigFolderUsesDefaultsAndTheBareName) {
    ::unsetenv("XDG_CONFIG_HOME");
    ::unsetenv("HOME");
    CSettings settings = everyKeyChanged();
    EXPECT_EQ(CSettings::startupLoad(settings, m_Host), "Tarlo.xml");
    ASSERT_EQ(m_Host.messages.size(), 1u);
    EXPECT_EQ(m_Host.messages[0].text, "Cannot access configuration file. Using defaults");
    EXPECT_EQ(m_Host.messages[0].icon, MessageIcon::Error);
    EXPECT_TRUE(settings == CSettings());
}

TEST_F(SettingsLocation, FirstStartShowsTheLoadingMessageThenLaterStartsLoadTheSavedFile) {
    ::setenv("XDG_CONFIG_HOME", m_Dir.c_str(), 1);
    CSettings settings;
    const std::string path = CSettings::startupLoad(settings, m_Host);
    EXPECT_EQ(path, (m_Dir / "Tarlo" / "Tarlo.xml").string());
    ASSERT_EQ(m_Host.messages.size(), 1u);
    EXPECT_TRUE(m_Host.messages[0].text.starts_with(loadingPrefix(path)));

    ASSERT_TRUE(settings.accept("SAFE_BRAKING", "-8"));
    ASSERT_TRUE(settings.save(path, m_Host));
    CSettings next;
    EXPECT_EQ(CSettings::startupLoad(next, m_Host), path);
    EXPECT_EQ(m_Host.messages.size(), 1u);
    EXPECT_DOUBLE_EQ(next.IDM.SAFE_BRAKING, -8.0);
}

} // namespace
} // namespace tarlo::test
