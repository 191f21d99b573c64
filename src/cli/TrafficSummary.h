#pragma once

#include <cstdint>
#include <iosfwd>
#include <limits>
#include <map>
#include <optional>
#include <utility>

namespace tarlo {
class Vehicle;
}

namespace tarlo::cli {

// Running totals over the vehicles of a traffic file, gathered one vehicle at a time so
// that the file is never held in memory.
class TrafficSummary {
public:
    // The calendar fields of a record's time stamp and the seconds they stand for.
    struct TimeStamp {
        unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, hundredths = 0;
        double seconds = 0.0;
    };

    void add(const Vehicle& vehicle);

    // Prints the vehicle counts, time stamps, lanes, axle counts and weights.
    void print(std::ostream& out) const;

    std::uint64_t vehicles() const { return m_Vehicles; }

private:
    std::uint64_t m_Vehicles = 0;
    std::uint64_t m_OutOfOrder = 0;
    std::optional<TimeStamp> m_First;
    std::optional<TimeStamp> m_Last;
    std::map<std::pair<int, int>, std::uint64_t> m_PerLane; // (direction, lane)
    std::map<unsigned, std::uint64_t> m_PerAxleCount;
    double m_MinGvw = std::numeric_limits<double>::infinity();
    double m_MaxGvw = -std::numeric_limits<double>::infinity();
};

} // namespace tarlo::cli
