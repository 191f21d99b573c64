#include "batch/BatchProgress.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace tarlo::batch {

std::optional<double> secondsLeft(const BatchProgress& progress) {
    const std::size_t ended = progress.completed + progress.failed;
    if (ended == 0)
        return std::nullopt;
    const std::size_t left = progress.left();
    const double mean = progress.finishedSeconds / static_cast<double>(ended);
    const double work = std::max(0.0, static_cast<double>(left) * mean - progress.runningSeconds);
    const std::size_t lanes = std::clamp<std::size_t>(left, 1, std::max(progress.jobs, 1u));
    return work / static_cast<double>(lanes);
}

std::string progressLine(const BatchProgress& progress) {
    std::string time = "--:--:--";
    if (const std::optional<double> seconds = secondsLeft(progress)) {
        const long whole = std::lround(*seconds);
        char text[32];
        std::snprintf(text, sizeof text, "%02ld:%02ld:%02ld", whole / 3600, whole / 60 % 60,
                      whole % 60);
        time = text;
    }
    return std::to_string(progress.completed + progress.skipped) + " of " +
           std::to_string(progress.total) + " done | " + std::to_string(progress.running) +
           " running | " + std::to_string(progress.failed) + " failed | " + time + " left";
}

} // namespace tarlo::batch
