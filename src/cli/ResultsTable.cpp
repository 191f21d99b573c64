#include "cli/ResultsTable.h"

#include "batch/CsvField.h"
#include "project/RunResults.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <ostream>

namespace tarlo::cli {

namespace {

constexpr int VALUE_WIDTH = 11;
constexpr int TIME_WIDTH = 12;
constexpr int COUNT_WIDTH = 7;

std::string padded(const std::string& text, std::size_t width) {
    return text.size() < width ? text + std::string(width - text.size(), ' ') : text;
}

std::string rightAligned(const std::string& text, int width) {
    const auto w = static_cast<std::size_t>(width);
    return text.size() < w ? std::string(w - text.size(), ' ') + text : text;
}

std::string fixed(double value, int decimals) {
    char text[400];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string count(const std::optional<std::size_t>& rows) {
    return rows ? std::to_string(*rows) : "-";
}

// The bridge's extent as its file names give it: 500-1000, 1234.5-1300.
std::string extent(double start, double end) {
    char text[64];
    std::snprintf(text, sizeof text, "%g-%g m", start, end);
    return text;
}

// The cells of a load effect's row, shared by the table and the comma-separated rows; an
// empty cell is shown as "-" in the table.
struct EffectCells {
    std::string largest, largestTime, smallest, smallestTime;
};

EffectCells effectCells(const LoadEffectTally& effect) {
    // A load effect that never carried traffic has no extremes.
    if (effect.values == 0)
        return {};
    return {fixed(effect.largest, 1), fixed(effect.largestTime, 2), fixed(effect.smallest, 1),
            fixed(effect.smallestTime, 2)};
}

std::string orDash(const std::string& cell) {
    return cell.empty() ? "-" : cell;
}

void writeBridges(std::ostream& out, const std::vector<BridgeTally>& bridges) {
    if (bridges.empty()) {
        out << "Bridges: none\n";
        return;
    }
    std::size_t nameWidth = std::string("Load effect").size();
    for (const BridgeTally& bridge : bridges)
        for (const LoadEffectTally& effect : bridge.loadEffects)
            nameWidth = std::max(nameWidth, effect.description.size());
    // Two spaces keep the widest value clear of the widest name.
    nameWidth += 2;
    for (const BridgeTally& bridge : bridges) {
        out << "Bridge " << bridge.id << ": " << bridge.description << " ("
            << extent(bridge.start, bridge.end) << ")\n";
        out << "  " << padded("Load effect", nameWidth) << rightAligned("Largest", VALUE_WIDTH)
            << rightAligned("at (s)", TIME_WIDTH) << rightAligned("Smallest", VALUE_WIDTH)
            << rightAligned("at (s)", TIME_WIDTH) << rightAligned("BMax", COUNT_WIDTH)
            << rightAligned("BMin", COUNT_WIDTH) << rightAligned("POT", COUNT_WIDTH)
            << rightAligned("PUT", COUNT_WIDTH) << '\n';
        for (const LoadEffectTally& effect : bridge.loadEffects) {
            const EffectCells cells = effectCells(effect);
            out << "  " << padded(effect.description, nameWidth)
                << rightAligned(orDash(cells.largest), VALUE_WIDTH)
                << rightAligned(orDash(cells.largestTime), TIME_WIDTH)
                << rightAligned(orDash(cells.smallest), VALUE_WIDTH)
                << rightAligned(orDash(cells.smallestTime), TIME_WIDTH)
                << rightAligned(count(effect.blockMaxima), COUNT_WIDTH)
                << rightAligned(count(effect.blockMinima), COUNT_WIDTH)
                << rightAligned(count(effect.peaksOver), COUNT_WIDTH)
                << rightAligned(count(effect.peaksUnder), COUNT_WIDTH) << '\n';
        }
    }
}

void writeDetectors(std::ostream& out, const std::vector<DetectorFiles>& detectors,
                    const std::vector<std::string>& failed) {
    if (detectors.empty()) {
        out << "Detectors: none\n";
        return;
    }
    std::size_t nameWidth = std::string("Detector").size();
    std::size_t kindWidth = std::string("Kind").size();
    for (const DetectorFiles& detector : detectors) {
        nameWidth = std::max(nameWidth, detector.description.size());
        kindWidth = std::max(kindWidth, detector.kind.size());
    }
    nameWidth += 2;
    kindWidth += 2;
    out << padded("Detector", nameWidth) << padded("Kind", kindWidth) << "Files\n";
    for (const DetectorFiles& detector : detectors) {
        bool first = true;
        for (const std::string& file : detector.files) {
            out << padded(first ? detector.description : "", nameWidth)
                << padded(first ? detector.kind : "", kindWidth)
                << std::filesystem::path(file).filename().string();
            if (std::find(failed.begin(), failed.end(), file) != failed.end())
                out << " (not written in full)";
            out << '\n';
            first = false;
        }
    }
}

} // namespace

void writeResultsCsv(std::ostream& out, const RunResults& results) {
    out << "Bridge,Load effect,Maximum,Time of maximum (s),Minimum,Time of minimum (s),"
           "Block maxima\r\n";
    for (const BridgeTally& bridge : results.bridges) {
        for (const LoadEffectTally& effect : bridge.loadEffects) {
            const EffectCells cells = effectCells(effect);
            out << bridge.id << ',' << batch::csvField(effect.description) << ',' << cells.largest
                << ',' << cells.largestTime << ',' << cells.smallest << ',' << cells.smallestTime
                << ',' << (effect.blockMaxima ? std::to_string(*effect.blockMaxima) : "") << "\r\n";
        }
    }
}

void writeResultsTable(std::ostream& out, const RunResults& results,
                       const std::vector<std::string>& failed) {
    writeBridges(out, results.bridges);
    if (!results.bridges.empty())
        out << '\n';
    writeDetectors(out, results.detectors, failed);
}

} // namespace tarlo::cli
