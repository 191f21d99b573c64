#include "cli/ProgressLine.h"

#include <cstdarg>
#include <cstdio>

namespace tarlo::cli {

namespace {

[[gnu::format(printf, 1, 2)]] std::string formatted(const char* format, ...) {
    // Room for the widest double in fixed notation.
    char text[400];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

std::string clockText(std::uint32_t ms) {
    const unsigned s = ms / 1000;
    return formatted("%02u:%02u:%02u", s / 3600, s / 60 % 60, s % 60);
}

} // namespace

std::string progressLine(const ProgressFigures& figures) {
    std::string line = formatted("%d%% read | %d vehicle%s on the road | t = %.0f s",
                                 figures.readPercent, figures.vehiclesOnRoad,
                                 figures.vehiclesOnRoad == 1 ? "" : "s", figures.simulatedTime);
    if (figures.elapsedMs > 0) {
        const double speedUp = figures.simulatedSpan * 1000.0 / figures.elapsedMs;
        // Below ten times real time a tenth still tells something.
        line += formatted(" | %.*fx real time", speedUp < 10.0 ? 1 : 0, speedUp);
    }
    return line + " | " + clockText(figures.elapsedMs);
}

} // namespace tarlo::cli
