#include "cli/TrafficSummary.h"

#include "engine/Vehicle.h"

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <string>

namespace tarlo::cli {

namespace {

constexpr double KN_PER_TONNE = 9.81;

std::string fixed(double value, int decimals = 2) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string describe(const TrafficSummary::TimeStamp& t) {
    char text[128];
    std::snprintf(text, sizeof text, "day %u month %u year %u %02u:%02u:%02u.%02u", t.day, t.month,
                  t.year, t.hour, t.minute, t.second, t.hundredths);
    return std::string(text) + " (" + fixed(t.seconds) + " s)";
}

} // namespace

void TrafficSummary::add(const Vehicle& vehicle) {
    const TimeStamp stamp{vehicle.year,   vehicle.month,  vehicle.day,        vehicle.hour,
                          vehicle.minute, vehicle.second, vehicle.hundredths, vehicle.getTime()};
    if (!m_First)
        m_First = stamp;
    else if (stamp.seconds < m_Last->seconds)
        ++m_OutOfOrder; // the road releases vehicles in file order, so this matters
    m_Last = stamp;

    ++m_Vehicles;
    ++m_PerLane[{vehicle.direction, vehicle.lane}];
    ++m_PerAxleCount[vehicle.noAxles];
    m_MinGvw = std::min(m_MinGvw, vehicle.gvw);
    m_MaxGvw = std::max(m_MaxGvw, vehicle.gvw);
}

void TrafficSummary::print(std::ostream& out) const {
    if (m_Vehicles == 0) {
        out << "First time stamp: none\n"
            << "Last time stamp: none\n";
        return;
    }
    out << "First time stamp: " << describe(*m_First) << '\n'
        << "Last time stamp: " << describe(*m_Last) << '\n'
        << "Vehicles earlier than the one before: " << m_OutOfOrder << '\n'
        << "Vehicles per direction and lane:\n";
    for (const auto& [lane, count] : m_PerLane)
        out << "  direction " << lane.first << " lane " << lane.second << ": " << count << '\n';
    out << "Vehicles per axle count:\n";
    for (const auto& [axles, count] : m_PerAxleCount)
        out << "  " << axles << (axles == 1 ? " axle: " : " axles: ") << count << '\n';
    out << "Gross weight: " << fixed(m_MinGvw) << " to " << fixed(m_MaxGvw) << " kN ("
        << fixed(m_MinGvw / KN_PER_TONNE) << " to " << fixed(m_MaxGvw / KN_PER_TONNE) << " t)\n";
}

} // namespace tarlo::cli
