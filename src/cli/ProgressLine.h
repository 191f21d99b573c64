#pragma once

#include <cstdint>
#include <string>

namespace tarlo::cli {

// The figures of a running simulation that the progress line shows.
struct ProgressFigures {
    // Share of the traffic file read, percent.
    int readPercent = 0;
    int vehiclesOnRoad = 0;
    // The simulation clock, s.
    double simulatedTime = 0.0;
    // Simulated time since the run started, s.
    double simulatedSpan = 0.0;
    // Wall-clock time since the run started, ms.
    std::uint32_t elapsedMs = 0;
};

// One line, e.g. "42% read | 312 vehicles on the road | t = 5423 s | 83x real time |
// 00:01:05": the speed-up is simulated seconds per wall-clock second, left out until some
// wall-clock time has passed.
std::string progressLine(const ProgressFigures& figures);

} // namespace tarlo::cli
