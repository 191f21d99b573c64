#include "project/settings/CSettings.h"

#include <array>
#include <charconv>
#include <cmath>
#include <type_traits>

namespace tarlo {

CSettings::CSettings() {
    resetDefaults();
}

void CSettings::resetDefaults() {
    General.FILE_BUFFER_MB = 1;

    IDM.MIN_SPACE_FOR_NEXT_VEHICLE = 27.0;
    IDM.SAFE_BRAKING = -12.0;
    IDM.LC_MIN_GAP = 2.0;
    IDM.LC_T_DELAY = 1.6;
    IDM.LC_FOLLOWER = true;
    IDM.LC_FOLLOWER_FASTLANE = true;
    IDM.DESIRED_GAP_MODEL = 0;

    Road.ROAD_END_BUFFER = 1000;
    Road.BRIDGE_ON_BUFFER = 10.0;
    Road.RoadFeatures.Gradient.MAX_SLOPE = 15;
    IDM_Param_Modifiers& modifiers = Road.RoadFeatures.Gradient.IDM_Modifiers;
    modifiers.T_SLOPE = 10.0;
    modifiers.V0_SLOPE = 0.2;
    modifiers.V0_MIN = 0.1;
    modifiers.A_MIN = 0.1;
    modifiers.A_FLAG = true;
    modifiers.B_FLAG = true;
    Road.RoadFeatures.SpeedLimit.SPEEDLIMIT_MIN = 10;
    Road.RoadFeatures.SpeedLimit.SPEEDLIMIT_MAX = 200;

    Time.MTS_PER_YR = 10;
    Time.DAYS_PER_MT = 25;

    View.MIN_VIEW_SCALE = 0.1;
    View.DATATIP_DELAY = 20.0;
    View.TIMEWARP_SIMSTEP = 20;
    View.TIMEWARP_TEP = 1.0;
    View.ZOOM_STEP = 0.2;
    View.PEN_WIDE = 3.0;
    View.PEN_THIN = 1.0;

    View_Colours& c = View.Colours;
    c.CLR_BACKGRND = rgb(255, 255, 255);
    c.CLR_ROAD_SURFACE = rgb(200, 200, 200);
    c.CLR_BRIDGE_SURFACE = rgb(128, 128, 128);
    c.CLR_ROAD_LINES = rgb(0, 0, 0);
    c.CLR_RULER_LINES = rgb(0, 0, 0);
    c.CLR_RULER_TEXT = rgb(0, 0, 0);
    c.CLR_LEGEND_TEXT = rgb(0, 0, 0);
    c.CLR_VEH_HIGHLIGHT = rgb(255, 255, 0);
    c.CLR_DET_OUTPUT = rgb(255, 255, 0);
    c.CLR_DET_FLOWDENSITY = rgb(0, 255, 0);
    c.CLR_DET_HEADWAY = rgb(0, 0, 255);
    c.CLR_DET_COMPOSITION = rgb(0, 0, 0);
    c.CLR_DET_MACRO = rgb(150, 150, 150);
    c.CLR_DET_MICRO = rgb(150, 150, 150);
    c.CLR_DET_OCCUPANCY = rgb(150, 150, 150);
    c.CLR_DET_ST_SMS = rgb(255, 69, 0);
    c.CLR_DET_ST_DENSITY = rgb(255, 165, 0);
    c.CLR_FEAT_SPEEDLIMIT = rgb(255, 0, 0);
    c.CLR_FEAT_GRADIENT = rgb(0, 255, 0);
    c.CLR_FEAT_OBSTACLE = rgb(255, 255, 255);
    c.CLR_FEAT_POLITE = rgb(255, 235, 205);
    c.CLR_FEAT_BIAS = rgb(255, 255, 0);
    c.CLR_FEAT_LCBAN = rgb(0, 0, 255);
    c.CLR_FEAT_GAP = rgb(255, 165, 0);

    View.Legend.DET_LINE_LENGTH = 20;
    View.Legend.VEH_BOX_HEIGHT = 10;
    View.Legend.VEH_BOX_WIDTH = 20;
    View.Legend.SEG_BOX_HEIGHT = 30;
    View.Legend.SEG_BOX_WIDTH = 80;
    View.Legend.SYMBOL_TO_TEXT = 20;
}

namespace {

using Rule = CSettings::Rule;

constexpr std::array<std::string_view, 4> kGapModelLabels{
    "s* is limited to s0", "No limit applied to s*", "1/4 of delta V term", "Exponential decay"};

// The key name is the field's own name, so the two cannot drift apart.
#define TARLO_SETTING(group, path, key, rule, label)                                               \
    CSettings::Key {                                                                               \
#key, group, label, Rule::rule,                                                            \
            [](CSettings & s) -> CSettings::FieldRef { return &s.path.key; }                       \
    }

const std::array kKeys{
    TARLO_SETTING("General", General, FILE_BUFFER_MB, Positive, "File buffer size (MB)"),

    TARLO_SETTING("IDM", IDM, MIN_SPACE_FOR_NEXT_VEHICLE, AboveTiny,
                  "Min space for next vehicle (m)"),
    TARLO_SETTING("IDM", IDM, SAFE_BRAKING, BelowMinusTiny, "Safe braking (m/s2)"),
    TARLO_SETTING("IDM", IDM, LC_MIN_GAP, AboveTiny, "Lane change min. gap (m)"),
    TARLO_SETTING("IDM", IDM, LC_T_DELAY, AboveTiny, "Lane change time delay (s)"),
    TARLO_SETTING("IDM", IDM, LC_FOLLOWER, Any, "Lane change follower"),
    TARLO_SETTING("IDM", IDM, LC_FOLLOWER_FASTLANE, Any, "Lane change fast lane follower"),
    TARLO_SETTING("IDM", IDM, DESIRED_GAP_MODEL, GapModelIndex, "Desired gap model"),

    TARLO_SETTING("Road", Road, ROAD_END_BUFFER, Positive, "Road end buffer (m)"),
    TARLO_SETTING("Road", Road, BRIDGE_ON_BUFFER, Positive, "Bridge on buffer (m)"),
    TARLO_SETTING("Gradient", Road.RoadFeatures.Gradient, MAX_SLOPE, Positive, "Maximum slope (%)"),
    TARLO_SETTING("IDM Modifiers", Road.RoadFeatures.Gradient.IDM_Modifiers, T_SLOPE, AboveTiny,
                  "T slope (%/s)"),
    TARLO_SETTING("IDM Modifiers", Road.RoadFeatures.Gradient.IDM_Modifiers, V0_SLOPE, AboveTiny,
                  "V0 slope (%/km/h)"),
    TARLO_SETTING("IDM Modifiers", Road.RoadFeatures.Gradient.IDM_Modifiers, V0_MIN, AboveTiny,
                  "V0 min."),
    TARLO_SETTING("IDM Modifiers", Road.RoadFeatures.Gradient.IDM_Modifiers, A_MIN, AboveTiny,
                  "A min"),
    TARLO_SETTING("IDM Modifiers", Road.RoadFeatures.Gradient.IDM_Modifiers, A_FLAG, Any, "A flag"),
    TARLO_SETTING("IDM Modifiers", Road.RoadFeatures.Gradient.IDM_Modifiers, B_FLAG, Any, "B flag"),
    TARLO_SETTING("Speed limit", Road.RoadFeatures.SpeedLimit, SPEEDLIMIT_MIN, Above5,
                  "Min. (km/h)"),
    TARLO_SETTING("Speed limit", Road.RoadFeatures.SpeedLimit, SPEEDLIMIT_MAX, Below300,
                  "Max. (km/h)"),

    TARLO_SETTING("Time", Time, MTS_PER_YR, Positive, "Months per simulation year"),
    TARLO_SETTING("Time", Time, DAYS_PER_MT, Positive, "Days per simulation month"),

    TARLO_SETTING("View", View, MIN_VIEW_SCALE, AboveTiny, "Min. view scale"),
    TARLO_SETTING("View", View, DATATIP_DELAY, AboveTiny, "Data tip delay (s)"),
    TARLO_SETTING("View", View, TIMEWARP_SIMSTEP, Positive, "Timewarp Sim. step (ms)"),
    TARLO_SETTING("View", View, TIMEWARP_TEP, AboveTiny, "Timewarp step"),
    TARLO_SETTING("View", View, ZOOM_STEP, AboveTiny, "Zoom step"),
    TARLO_SETTING("View", View, PEN_WIDE, AboveTiny, "Wide pen width (pixels)"),
    TARLO_SETTING("View", View, PEN_THIN, AboveTiny, "Thin pen width (pixels)"),

    TARLO_SETTING("Colours", View.Colours, CLR_BACKGRND, Colour, "Background"),
    TARLO_SETTING("Colours", View.Colours, CLR_ROAD_SURFACE, Colour, "Road surface"),
    TARLO_SETTING("Colours", View.Colours, CLR_BRIDGE_SURFACE, Colour, "Bridge surface"),
    TARLO_SETTING("Colours", View.Colours, CLR_ROAD_LINES, Colour, "Road lines"),
    TARLO_SETTING("Colours", View.Colours, CLR_RULER_LINES, Colour, "Ruler lines"),
    TARLO_SETTING("Colours", View.Colours, CLR_RULER_TEXT, Colour, "Ruler text"),
    TARLO_SETTING("Colours", View.Colours, CLR_LEGEND_TEXT, Colour, "Legend text"),
    TARLO_SETTING("Colours", View.Colours, CLR_VEH_HIGHLIGHT, Colour, "Vehicle highlight"),
    TARLO_SETTING("Colours", View.Colours, CLR_DET_OUTPUT, Colour, "Output detector"),
    TARLO_SETTING("Colours", View.Colours, CLR_DET_FLOWDENSITY, Colour, "Flow density detector"),
    TARLO_SETTING("Colours", View.Colours, CLR_DET_HEADWAY, Colour, "Headway detector"),
    TARLO_SETTING("Colours", View.Colours, CLR_DET_COMPOSITION, Colour, "Composition detector"),
    TARLO_SETTING("Colours", View.Colours, CLR_DET_MACRO, Colour, "Macro-stats detector"),
    TARLO_SETTING("Colours", View.Colours, CLR_DET_MICRO, Colour, "Micro-stats detector"),
    TARLO_SETTING("Colours", View.Colours, CLR_DET_OCCUPANCY, Colour, "Occupancy detector"),
    TARLO_SETTING("Colours", View.Colours, CLR_DET_ST_SMS, Colour, "Space-Time SMS detector"),
    TARLO_SETTING("Colours", View.Colours, CLR_DET_ST_DENSITY, Colour,
                  "Space-Time density detector"),
    TARLO_SETTING("Colours", View.Colours, CLR_FEAT_SPEEDLIMIT, Colour, "Speedlimit feature"),
    TARLO_SETTING("Colours", View.Colours, CLR_FEAT_GRADIENT, Colour, "Gradient feature"),
    TARLO_SETTING("Colours", View.Colours, CLR_FEAT_OBSTACLE, Colour, "Obstacle feature"),
    TARLO_SETTING("Colours", View.Colours, CLR_FEAT_POLITE, Colour, "Politeness feature"),
    TARLO_SETTING("Colours", View.Colours, CLR_FEAT_BIAS, Colour, "Bias feature"),
    TARLO_SETTING("Colours", View.Colours, CLR_FEAT_LCBAN, Colour, "Lane Change Ban feature"),
    TARLO_SETTING("Colours", View.Colours, CLR_FEAT_GAP, Colour, "Gap feature"),

    TARLO_SETTING("Legend", View.Legend, DET_LINE_LENGTH, Positive, "Det. line length (px)"),
    TARLO_SETTING("Legend", View.Legend, VEH_BOX_HEIGHT, Positive, "Vehicle height (px)"),
    TARLO_SETTING("Legend", View.Legend, VEH_BOX_WIDTH, Positive, "Vehicle width (px)"),
    TARLO_SETTING("Legend", View.Legend, SEG_BOX_HEIGHT, Positive, "Det. height (px)"),
    TARLO_SETTING("Legend", View.Legend, SEG_BOX_WIDTH, Positive, "Det. width (px)"),
    TARLO_SETTING("Legend", View.Legend, SYMBOL_TO_TEXT, Positive, "Text distance (px)"),
};

#undef TARLO_SETTING

template <typename T> bool parseNumber(std::string_view text, T& out) {
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, out);
    if constexpr (std::is_floating_point_v<T>)
        return ec == std::errc() && ptr == end && std::isfinite(out);
    else
        return ec == std::errc() && ptr == end;
}

bool parseValue(Rule rule, std::string_view text, bool& out) {
    (void)rule;
    if (text == "1" || text == "true") {
        out = true;
        return true;
    }
    if (text == "0" || text == "false") {
        out = false;
        return true;
    }
    return false;
}

bool parseValue(Rule rule, std::string_view text, int& out) {
    if (rule == Rule::GapModelIndex) {
        for (std::size_t i = 0; i < kGapModelLabels.size(); ++i) {
            if (text == kGapModelLabels[i]) {
                out = static_cast<int>(i);
                return true;
            }
        }
    }
    return parseNumber(text, out);
}

template <typename T> bool parseValue(Rule, std::string_view text, T& out) {
    return parseNumber(text, out);
}

template <typename T> bool satisfies(Rule rule, T value) {
    const double v = static_cast<double>(value);
    switch (rule) {
    case Rule::Any:
        return true;
    case Rule::Colour:
        return v >= 0 && v <= CSettings::rgb(255, 255, 255);
    case Rule::Positive:
        return v > 0;
    case Rule::AboveTiny:
        return v > 0.00001;
    case Rule::BelowMinusTiny:
        return v < -0.00001;
    case Rule::Above5:
        return v > 5;
    case Rule::Below300:
        return v < 300;
    case Rule::GapModelIndex:
        return v >= 0 && v < static_cast<double>(kGapModelLabels.size());
    }
    return false;
}

} // namespace

std::span<const CSettings::Key> CSettings::keys() {
    return kKeys;
}

std::span<const std::string_view> CSettings::desiredGapModelLabels() {
    return kGapModelLabels;
}

bool CSettings::accept(std::string_view key, std::string_view value) {
    for (const Key& k : kKeys) {
        if (k.name != key)
            continue;
        return std::visit(
            [&](auto* field) {
                std::remove_pointer_t<decltype(field)> parsed{};
                if (!parseValue(k.rule, value, parsed) || !satisfies(k.rule, parsed))
                    return false;
                *field = parsed;
                return true;
            },
            k.field(*this));
    }
    return false;
}

std::string CSettings::replaceRejectedValues() {
    CSettings defaults;
    std::string replaced;
    for (const Key& k : kKeys) {
        std::visit(
            [&](auto* field) {
                if (satisfies(k.rule, *field))
                    return;
                *field = *std::get<decltype(field)>(k.field(defaults));
                replaced += (replaced.empty() ? "" : ", ") + std::string(k.name);
            },
            k.field(*this));
    }
    return replaced;
}

} // namespace tarlo
