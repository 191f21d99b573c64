#include "engine/Vehicle.h"

#include "project/settings/CSettings.h"

#include <cstdint>
#include <limits>

namespace tarlo {

Vehicle::Vehicle(const CSettings& settings)
    : laneChangeDelay(settings.IDM.LC_T_DELAY),
      roadEndBuffer(static_cast<unsigned>(settings.Road.ROAD_END_BUFFER)),
      daysPerMonth(static_cast<unsigned>(settings.Time.DAYS_PER_MT)),
      monthsPerYear(static_cast<unsigned>(settings.Time.MTS_PER_YR)) {}

double Vehicle::getTime() const {
    // The calendar arithmetic is unsigned 32-bit, as the traffic files have always used.
    const std::uint32_t m = monthsPerYear;
    const std::uint32_t d = daysPerMonth;
    const std::uint32_t t =
        ((((m * year + month - 1) * d + day - 1) * 24 + hour) * 60 + minute) * 60 + second;
    return static_cast<double>(t) + hundredths / 100.0;
}

void Vehicle::setTime(double t) {
    const std::uint32_t secondsPerDay = 86400;
    const std::uint32_t secondsPerMonth = daysPerMonth * secondsPerDay;
    const std::uint32_t secondsPerYear = daysPerMonth * monthsPerYear * secondsPerDay;

    // Whole hundredths first, so that a time read from a record (x.29 s, not exactly
    // representable) gives back the same hundredths; the rest is exact integer arithmetic.
    // The tolerance is a few units in the last place of the scaled time.
    const double scaled = t * 100.0;
    const double tolerance = 4.0 * std::numeric_limits<double>::epsilon() * scaled + 1e-9;
    std::uint64_t rest = t > 0.0 ? static_cast<std::uint64_t>(scaled + tolerance) : 0;
    auto take = [&rest](std::uint64_t unit) {
        const std::uint64_t count = unit > 0 ? rest / unit : 0;
        rest -= count * unit;
        return static_cast<unsigned>(count);
    };
    year = take(std::uint64_t{secondsPerYear} * 100);
    month = take(std::uint64_t{secondsPerMonth} * 100) + 1;
    day = take(std::uint64_t{secondsPerDay} * 100) + 1;
    hour = take(360000);
    minute = take(6000);
    second = take(100);
    hundredths = static_cast<unsigned>(rest);
}

void Vehicle::resetPositionState() {
    position = 0.0;
    laneChangeTimer = 0.0;
    detectorCheckFrom = -std::numeric_limits<double>::infinity();
    detectorReach = 0;
    bridgeCheckFrom = -std::numeric_limits<double>::infinity();
}

} // namespace tarlo
