// The settings file: a Boost.Serialization XML archive holding m_Version and the five groups.

#include "platform/Host.h"
#include "project/ArchiveText.h"
#include "project/settings/CSettings.h"

#include <boost/archive/xml_iarchive.hpp>
#include <boost/archive/xml_oarchive.hpp>
#include <boost/serialization/nvp.hpp>
#include <boost/serialization/version.hpp>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <utility>

// Each key is stored under its own field name.
#define TARLO_NVP(owner, key) boost::serialization::make_nvp(#key, owner.key)

namespace {

// Writes or reads the given name-value pairs in order.
template <class Archive, class... Pairs> void archiveFields(Archive& ar, const Pairs&... pairs) {
    (ar & ... & pairs);
}

} // namespace

namespace boost::serialization {

template <class Archive>
void serialize(Archive& ar, tarlo::CSettings::General_Config& g, const unsigned) {
    archiveFields(ar, TARLO_NVP(g, FILE_BUFFER_MB));
}

template <class Archive>
void serialize(Archive& ar, tarlo::CSettings::IDM_Config& c, const unsigned) {
    archiveFields(ar, TARLO_NVP(c, MIN_SPACE_FOR_NEXT_VEHICLE), TARLO_NVP(c, SAFE_BRAKING),
                  TARLO_NVP(c, LC_MIN_GAP), TARLO_NVP(c, LC_T_DELAY), TARLO_NVP(c, LC_FOLLOWER),
                  TARLO_NVP(c, LC_FOLLOWER_FASTLANE), TARLO_NVP(c, DESIRED_GAP_MODEL));
}

template <class Archive>
void serialize(Archive& ar, tarlo::CSettings::IDM_Param_Modifiers& m, const unsigned) {
    archiveFields(ar, TARLO_NVP(m, T_SLOPE), TARLO_NVP(m, V0_SLOPE), TARLO_NVP(m, V0_MIN),
                  TARLO_NVP(m, A_MIN), TARLO_NVP(m, A_FLAG), TARLO_NVP(m, B_FLAG));
}

template <class Archive>
void serialize(Archive& ar, tarlo::CSettings::Gradient_Config& g, const unsigned) {
    archiveFields(ar, TARLO_NVP(g, MAX_SLOPE), TARLO_NVP(g, IDM_Modifiers));
}

template <class Archive>
void serialize(Archive& ar, tarlo::CSettings::SpeedLimit_Config& s, const unsigned) {
    archiveFields(ar, TARLO_NVP(s, SPEEDLIMIT_MIN), TARLO_NVP(s, SPEEDLIMIT_MAX));
}

template <class Archive>
void serialize(Archive& ar, tarlo::CSettings::RoadFeatures_Config& f, const unsigned) {
    archiveFields(ar, TARLO_NVP(f, Gradient), TARLO_NVP(f, SpeedLimit));
}

template <class Archive>
void serialize(Archive& ar, tarlo::CSettings::Road_Config& r, const unsigned) {
    archiveFields(ar, TARLO_NVP(r, ROAD_END_BUFFER), TARLO_NVP(r, BRIDGE_ON_BUFFER),
                  TARLO_NVP(r, RoadFeatures));
}

template <class Archive>
void serialize(Archive& ar, tarlo::CSettings::Time_Config& t, const unsigned) {
    archiveFields(ar, TARLO_NVP(t, MTS_PER_YR), TARLO_NVP(t, DAYS_PER_MT));
}

template <class Archive>
void serialize(Archive& ar, tarlo::CSettings::View_Colours& c, const unsigned version) {
    archiveFields(
        ar, TARLO_NVP(c, CLR_BACKGRND), TARLO_NVP(c, CLR_ROAD_SURFACE),
        TARLO_NVP(c, CLR_BRIDGE_SURFACE), TARLO_NVP(c, CLR_ROAD_LINES),
        TARLO_NVP(c, CLR_RULER_LINES), TARLO_NVP(c, CLR_RULER_TEXT), TARLO_NVP(c, CLR_LEGEND_TEXT),
        TARLO_NVP(c, CLR_VEH_HIGHLIGHT), TARLO_NVP(c, CLR_DET_OUTPUT),
        TARLO_NVP(c, CLR_DET_FLOWDENSITY), TARLO_NVP(c, CLR_DET_HEADWAY),
        TARLO_NVP(c, CLR_DET_COMPOSITION), TARLO_NVP(c, CLR_FEAT_SPEEDLIMIT),
        TARLO_NVP(c, CLR_FEAT_GRADIENT), TARLO_NVP(c, CLR_FEAT_OBSTACLE),
        TARLO_NVP(c, CLR_FEAT_POLITE), TARLO_NVP(c, CLR_FEAT_BIAS), TARLO_NVP(c, CLR_FEAT_LCBAN),
        TARLO_NVP(c, CLR_DET_MACRO), TARLO_NVP(c, CLR_DET_MICRO), TARLO_NVP(c, CLR_DET_OCCUPANCY),
        TARLO_NVP(c, CLR_DET_ST_SMS), TARLO_NVP(c, CLR_DET_ST_DENSITY));
    // The gap colour belongs to class version 1; this program writes version 0, so the gap
    // colour is never stored and keeps its default.
    if (version >= 1)
        archiveFields(ar, TARLO_NVP(c, CLR_FEAT_GAP));
}

template <class Archive>
void serialize(Archive& ar, tarlo::CSettings::View_Legend& l, const unsigned) {
    archiveFields(ar, TARLO_NVP(l, DET_LINE_LENGTH), TARLO_NVP(l, VEH_BOX_HEIGHT),
                  TARLO_NVP(l, VEH_BOX_WIDTH), TARLO_NVP(l, SEG_BOX_HEIGHT),
                  TARLO_NVP(l, SEG_BOX_WIDTH), TARLO_NVP(l, SYMBOL_TO_TEXT));
}

template <class Archive>
void serialize(Archive& ar, tarlo::CSettings::View_Config& v, const unsigned) {
    archiveFields(ar, TARLO_NVP(v, MIN_VIEW_SCALE), TARLO_NVP(v, DATATIP_DELAY),
                  TARLO_NVP(v, TIMEWARP_SIMSTEP), TARLO_NVP(v, TIMEWARP_TEP),
                  TARLO_NVP(v, ZOOM_STEP), TARLO_NVP(v, PEN_WIDE), TARLO_NVP(v, PEN_THIN),
                  TARLO_NVP(v, Colours), TARLO_NVP(v, Legend));
}

} // namespace boost::serialization

#undef TARLO_NVP

BOOST_CLASS_VERSION(tarlo::CSettings::General_Config, 0)
BOOST_CLASS_VERSION(tarlo::CSettings::IDM_Config, 0)
BOOST_CLASS_VERSION(tarlo::CSettings::IDM_Param_Modifiers, 0)
BOOST_CLASS_VERSION(tarlo::CSettings::Gradient_Config, 0)
BOOST_CLASS_VERSION(tarlo::CSettings::SpeedLimit_Config, 0)
BOOST_CLASS_VERSION(tarlo::CSettings::RoadFeatures_Config, 0)
BOOST_CLASS_VERSION(tarlo::CSettings::Road_Config, 0)
BOOST_CLASS_VERSION(tarlo::CSettings::Time_Config, 0)
BOOST_CLASS_VERSION(tarlo::CSettings::View_Colours, 0)
BOOST_CLASS_VERSION(tarlo::CSettings::View_Legend, 0)
BOOST_CLASS_VERSION(tarlo::CSettings::View_Config, 0)

namespace tarlo {

namespace {

namespace fs = std::filesystem;
using boost::serialization::make_nvp;

constexpr const char* kFileName = "Tarlo.xml";

template <class Archive, class Settings> void serializeGroups(Archive& ar, Settings& s) {
    archiveFields(ar, make_nvp("General", s.General), make_nvp("IDM", s.IDM),
                  make_nvp("Road", s.Road), make_nvp("Time", s.Time), make_nvp("View", s.View));
}

// The library appends details to some messages ("input stream error-No such file...").
bool messageIs(const std::string& message, std::string_view kind) {
    if (!message.starts_with(kind))
        return false;
    return message.size() == kind.size() || message[kind.size()] == ' ' ||
           message[kind.size()] == '-';
}

} // namespace

bool CSettings::load(const std::string& path, Host& host, LoadFailure onFailure) {
    CSettings loaded;
    try {
        readArchiveText(readFile(path), [&](boost::archive::xml_iarchive& ar) {
            unsigned version = 0;
            ar >> make_nvp("m_Version", version);
            serializeGroups(ar, loaded);
        });
    } catch (const std::exception& e) {
        const std::string message = e.what();
        // Deliberately: the first line starts with the file's name; and a caller that gives
        // up on the file is not told of defaults it won't use.
        std::string text = path + ": Problem loading Program Settings file.\nBoost reports: " +
                           message +
                           "\nPossibly: " + interpretArchiveError(message);
        if (onFailure == LoadFailure::UseDefaults)
            text += "\nUsing default values instead.";
        host.showMessage(text, MessageIcon::Error);
        if (onFailure == LoadFailure::UseDefaults)
            resetDefaults();
        return false;
    }
    const std::string replaced = loaded.replaceRejectedValues();
    *this = loaded;
    if (!replaced.empty())
        host.showMessage("Program Settings file holds values out of range.\nUsing default "
                         "values instead for: " +
                             replaced,
                         MessageIcon::Exclamation);
    return true;
}

bool CSettings::save(const std::string& path, Host& host) const {
    try {
        const std::string xml = archiveText([&](boost::archive::xml_oarchive& ar) {
            ar << make_nvp("m_Version", m_Version);
            serializeGroups(ar, *this);
        });
        // The settings folder is made on the first save; a failure shows when writing.
        const fs::path folder = fs::path(path).parent_path();
        std::error_code ignored;
        if (!folder.empty())
            fs::create_directories(folder, ignored);
        replaceFile(path, withCrLf(xml));
    } catch (const std::exception& e) {
        const std::string message = e.what();
        host.showMessage("Problem saving file.\nBoost reports: " + message +
                             "\nPossibly: " + interpretArchiveError(message),
                         MessageIcon::Error);
        return false;
    }
    return true;
}

std::string CSettings::defaultSettingsPath() {
    fs::path base;
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    // A relative XDG_CONFIG_HOME is invalid and ignored.
    if (config && *config && fs::path(config).is_absolute())
        base = config;
    else if (home && *home)
        base = fs::path(home) / ".config";
    else
        return {};
    return (base / "Tarlo" / kFileName).string();
}

std::string CSettings::startupLoad(CSettings& settings, Host& host) {
    const std::string path = defaultSettingsPath();
    if (path.empty()) {
        host.showMessage("Cannot access configuration file. Using defaults", MessageIcon::Error);
        settings.resetDefaults();
        return kFileName;
    }
    settings.load(path, host);
    return path;
}

std::string CSettings::interpretArchiveError(const std::string& message) {
    static constexpr const char* kStreamHint =
        "asymmetric serialization, including attempt to load empty archive?";
    // Newer libraries split "stream error" into input and output stream errors.
    static constexpr std::array<std::pair<std::string_view, const char*>, 7> kHints{{
        {"coding error", "Boost.Serialization library problem"},
        {"unrecognized XML syntax",
         "name-value-pair name contains illegal chars including whitespace?"},
        {"unregistered class", "missing BOOST_CLASS_EXPORT(SubClass) macro?"},
        {"unregistered void cast",
         "missing ar & BOOST_SERIALIZATION_BASE_OBJECT_NVP(BaseClass) statement?"},
        {"stream error", kStreamHint},
        {"input stream error", kStreamHint},
        {"output stream error", kStreamHint},
    }};
    for (const auto& [kind, hint] : kHints) {
        if (messageIs(message, kind))
            return hint;
    }
    return "no local interpretation";
}

} // namespace tarlo
