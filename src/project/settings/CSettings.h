#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

namespace tarlo {

class Host;

// Model-wide constants that belong to no single project. One object lives for the whole
// program; engine objects copy the values they need when they are constructed, so an
// edit applies to objects created afterwards.
class CSettings {
public:
    struct General_Config {
        unsigned FILE_BUFFER_MB;

        bool operator==(const General_Config&) const = default;
    };

    struct IDM_Config {
        double MIN_SPACE_FOR_NEXT_VEHICLE;
        double SAFE_BRAKING;
        double LC_MIN_GAP;
        double LC_T_DELAY;
        bool LC_FOLLOWER;
        bool LC_FOLLOWER_FASTLANE;
        int DESIRED_GAP_MODEL;

        bool operator==(const IDM_Config&) const = default;
    };

    struct IDM_Param_Modifiers {
        double T_SLOPE;
        double V0_SLOPE;
        double V0_MIN;
        double A_MIN;
        bool A_FLAG;
        bool B_FLAG;

        bool operator==(const IDM_Param_Modifiers&) const = default;
    };

    struct Gradient_Config {
        int MAX_SLOPE;
        IDM_Param_Modifiers IDM_Modifiers;

        bool operator==(const Gradient_Config&) const = default;
    };

    struct SpeedLimit_Config {
        int SPEEDLIMIT_MIN;
        int SPEEDLIMIT_MAX;

        bool operator==(const SpeedLimit_Config&) const = default;
    };

    // The file holds Gradient before SpeedLimit.
    struct RoadFeatures_Config {
        SpeedLimit_Config SpeedLimit;
        Gradient_Config Gradient;

        bool operator==(const RoadFeatures_Config&) const = default;
    };

    struct Road_Config {
        int ROAD_END_BUFFER;
        double BRIDGE_ON_BUFFER;
        RoadFeatures_Config RoadFeatures;

        bool operator==(const Road_Config&) const = default;
    };

    struct Time_Config {
        int MTS_PER_YR;
        int DAYS_PER_MT;

        bool operator==(const Time_Config&) const = default;
    };

    // Colours are R + 256·G + 65536·B.
    struct View_Colours {
        std::uint32_t CLR_BACKGRND;
        std::uint32_t CLR_ROAD_SURFACE;
        std::uint32_t CLR_BRIDGE_SURFACE;
        std::uint32_t CLR_ROAD_LINES;
        std::uint32_t CLR_RULER_LINES;
        std::uint32_t CLR_RULER_TEXT;
        std::uint32_t CLR_LEGEND_TEXT;
        std::uint32_t CLR_VEH_HIGHLIGHT;
        std::uint32_t CLR_DET_OUTPUT;
        std::uint32_t CLR_DET_FLOWDENSITY;
        std::uint32_t CLR_DET_HEADWAY;
        std::uint32_t CLR_DET_COMPOSITION;
        std::uint32_t CLR_DET_MACRO;
        std::uint32_t CLR_DET_MICRO;
        std::uint32_t CLR_DET_OCCUPANCY;
        std::uint32_t CLR_DET_ST_SMS;
        std::uint32_t CLR_DET_ST_DENSITY;
        std::uint32_t CLR_FEAT_SPEEDLIMIT;
        std::uint32_t CLR_FEAT_GRADIENT;
        std::uint32_t CLR_FEAT_OBSTACLE;
        std::uint32_t CLR_FEAT_POLITE;
        std::uint32_t CLR_FEAT_BIAS;
        std::uint32_t CLR_FEAT_LCBAN;
        std::uint32_t CLR_FEAT_GAP;

        bool operator==(const View_Colours&) const = default;
    };

    struct View_Legend {
        int DET_LINE_LENGTH;
        int VEH_BOX_HEIGHT;
        int VEH_BOX_WIDTH;
        int SEG_BOX_HEIGHT;
        int SEG_BOX_WIDTH;
        int SYMBOL_TO_TEXT;

        bool operator==(const View_Legend&) const = default;
    };

    struct View_Config {
        double MIN_VIEW_SCALE;
        double DATATIP_DELAY;
        unsigned TIMEWARP_SIMSTEP;
        double TIMEWARP_TEP;
        double ZOOM_STEP;
        double PEN_WIDE;
        double PEN_THIN;
        View_Colours Colours;
        View_Legend Legend;

        bool operator==(const View_Config&) const = default;
    };

    // What the settings window demands of an edited value; anything else is ignored.
    enum class Rule {
        Any,            // flags
        Colour,         // R + 256·G + 65536·B with each part 0..255
        Positive,       // > 0
        AboveTiny,      // > 0.00001
        BelowMinusTiny, // < -0.00001
        Above5,         // > 5
        Below300,       // < 300
        GapModelIndex   // an index into desiredGapModelLabels()
    };

    using FieldRef = std::variant<unsigned*, int*, double*, bool*>;

    // One editable key: its name in the file, the settings window's group and label, the
    // acceptance rule, and where the value lives in a settings object.
    struct Key {
        std::string_view name;
        std::string_view group;
        std::string_view label;
        Rule rule;
        FieldRef (*field)(CSettings&);
    };

    CSettings();

    void resetDefaults();

    // What a failed load does besides showing the reason.
    enum class LoadFailure {
        UseDefaults, // every key returns to its default, and the message says so
        KeepValues   // the values stay as they were; the caller gives up on the file
    };

    // Reads the file, all keys or none; on any failure shows the reason, naming the file.
    bool load(const std::string& path, Host& host,
              LoadFailure onFailure = LoadFailure::UseDefaults);
    // Writes the file, creating its folder; a failure is shown and returns false.
    bool save(const std::string& path, Host& host) const;

    // $XDG_CONFIG_HOME/Tarlo/Tarlo.xml or $HOME/.config/Tarlo/Tarlo.xml; empty when the
    // user's configuration folder cannot be determined.
    static std::string defaultSettingsPath();
    // The program-start sequence: loads the user's settings file, or uses the defaults when
    // there is no configuration folder. Returns the path to save to at exit.
    static std::string startupLoad(CSettings& settings, Host& host);

    // The hint shown beside an archive library error message.
    static std::string interpretArchiveError(const std::string& message);

    // Every editable key, colours in the settings window's order.
    static std::span<const Key> keys();
    static std::span<const std::string_view> desiredGapModelLabels();
    static constexpr std::uint32_t rgb(unsigned r, unsigned g, unsigned b) {
        return r + 256u * g + 65536u * b;
    }

    // Applies an edited value given as text (a number, 0/1/true/false for flags, or a
    // desired-gap-model label); returns false and keeps the old value when the key is
    // unknown or the value is not accepted.
    bool accept(std::string_view key, std::string_view value);

    unsigned m_Version = 1;
    General_Config General;
    IDM_Config IDM;
    Road_Config Road;
    Time_Config Time;
    View_Config View;

    bool operator==(const CSettings&) const = default;

private:
    // Puts back the default of every key whose value the settings window would refuse (a
    // hand-edited file); returns the names of those keys, comma-separated.
    std::string replaceRejectedValues();
};

static_assert(std::is_same_v<std::uint32_t, unsigned>, "colours are edited as unsigned keys");

} // namespace tarlo
