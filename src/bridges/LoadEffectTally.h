#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace tarlo {

// What one run made of one load effect of a bridge: its largest and smallest value with
// the time of each, and how many rows its block and threshold files received. A count is
// empty when its output was not selected.
struct LoadEffectTally {
    std::string description;
    // The values calculated: one per sub-step with traffic on the bridge.
    std::size_t values = 0;
    double largest = 0.0;
    double largestTime = 0.0;
    double smallest = 0.0;
    double smallestTime = 0.0;
    std::optional<std::size_t> blockMaxima;
    std::optional<std::size_t> blockMinima;
    std::optional<std::size_t> peaksOver;
    std::optional<std::size_t> peaksUnder;

    // A tie keeps the earlier time, as the block extremes do.
    void add(double time, double value) {
        if (values == 0 || value > largest) {
            largest = value;
            largestTime = time;
        }
        if (values == 0 || value < smallest) {
            smallest = value;
            smallestTime = time;
        }
        ++values;
    }
};

// The tallies of a bridge's load effects, in load-effect order, with what names the bridge.
struct BridgeTally {
    int id = 0;
    std::string description;
    double start = 0.0;
    double end = 0.0;
    std::vector<LoadEffectTally> loadEffects;
};

} // namespace tarlo
