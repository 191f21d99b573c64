#include "detectors/OccupancyDet.h"

#include "detectors/NumberText.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

namespace tarlo {

OccupancyDet::OccupancyDet(const DetectorParams& params, int start, int end)
    : SegmentDetector(DETECTOR_OCCUPANCY, params, start, end) {
    watchChangingStretch();
    openOutput();
    m_vLanes.resize(std::max(0, m_Lanes));
}

void OccupancyDet::finish() {
    if (m_Output.is_open())
        m_Output.close();
}

void OccupancyDet::openOutput() {
    openStream(m_Output,
               fileName("Occup_", std::to_string(start()) + "-" + std::to_string(end()) + ".csv"));
    m_Output << "Occupancy";
    endRow(m_Output);
    m_Output << "Time";
    for (int i = 1; i <= m_Lanes; ++i)
        m_Output << ",Lane " << i;
    endRow(m_Output);
}

double OccupancyDet::timeAt(const Vehicle& vehicle, double x) const {
    const double beyond = vehicle.position - x;
    return beyond > 0.0 && vehicle.speed > 0.0 ? m_Current - beyond / vehicle.speed : m_Current;
}

void OccupancyDet::occupy(LaneState& lane, double start) {
    lane.occupied = true;
    lane.periodStart = start;
}

// A period never ends before it started (a vehicle that changed into a lane with its rear
// already past the exit).
void OccupancyDet::release(LaneState& lane, double end) {
    lane.occupied = false;
    lane.occupiedTime += std::max(0.0, end - lane.periodStart);
}

void OccupancyDet::vehiclePassed(const Vehicle& vehicle, double t) {
    m_Current = t;
    unsettle();
    const int k = directionLaneNumber(vehicle);
    if (k < 1 || k > m_Lanes)
        return;
    // A vehicle whose step ended exactly on the entry is reported again by its next step.
    for (const LaneState& lane : m_vLanes)
        if (std::find(lane.vehicles.begin(), lane.vehicles.end(), &vehicle) != lane.vehicles.end())
            return;
    LaneState& lane = m_vLanes[k - 1];
    if (!lane.occupied)
        occupy(lane, timeAt(vehicle, m_Entry));
    lane.vehicles.push_back(&vehicle);
}

void OccupancyDet::update(double t) {
    m_Current = t;
    m_bSettled = true;
    for (int i = 1; i <= m_Lanes; ++i) {
        LaneState& lane = m_vLanes[i - 1];
        if (lane.vehicles.empty())
            continue;
        const Vehicle& front = *lane.vehicles.front();
        if (directionLaneNumber(front) != i) {
            followLaneChange(lane, front);
            m_bSettled = false;
            continue;
        }
        if (front.position - front.length < m_Exit)
            continue;
        if (lane.vehicles.size() == 1)
            release(lane, timeAt(front, m_Exit + front.length));
        lane.vehicles.erase(lane.vehicles.begin());
        m_bSettled = false;
    }
    if (m_bSettled)
        watchEntryAndRearExit();
    else
        unsettle();
}

void OccupancyDet::unsettle() {
    m_bSettled = false;
    watchEveryMove();
}

void OccupancyDet::watchEntryAndRearExit() {
    watch(m_Entry, m_Entry);
    watchRears(m_Exit, m_Exit);
}

double OccupancyDet::nextCheckFrom(const Vehicle& vehicle, double p1) const {
    const double length = vehicle.length;
    // Where the front stands when the rear reaches the exit, a little early so that the
    // rounding of the two sums can never let the pass check see the rear there first.
    const double rearAtExit =
        m_Exit + length - 1e-9 * (std::abs(static_cast<double>(m_Exit)) + std::abs(length) + 1.0);
    if (p1 <= m_Entry)
        return std::min(static_cast<double>(m_Entry), rearAtExit);
    if (p1 - length <= m_Exit)
        return rearAtExit;
    return std::numeric_limits<double>::infinity();
}

void OccupancyDet::stepStarting() {
    watchEveryMove();
}

void OccupancyDet::afterMove(const Vehicle& moved, double t) {
    if (m_bSettled && t == m_Current &&
        std::none_of(m_vLanes.begin(), m_vLanes.end(), [&moved](const LaneState& lane) {
            return !lane.vehicles.empty() && lane.vehicles.front() == &moved;
        }))
        return;
    update(t);
}

void OccupancyDet::followLaneChange(LaneState& from, const Vehicle& vehicle) {
    from.vehicles.erase(from.vehicles.begin());
    if (from.vehicles.empty())
        release(from, m_Current);
    const int j = directionLaneNumber(vehicle);
    if (j < 1 || j > m_Lanes)
        return;
    LaneState& to = m_vLanes[j - 1];
    if (!to.occupied)
        occupy(to, m_Current);
    insertByPosition(to, vehicle);
}

void OccupancyDet::insertByPosition(LaneState& lane, const Vehicle& vehicle) {
    const auto at = std::find_if(lane.vehicles.begin(), lane.vehicles.end(),
                                 [&](const Vehicle* v) { return v->position <= vehicle.position; });
    lane.vehicles.insert(at, &vehicle);
}

void OccupancyDet::vehicleLeaving(const Vehicle& vehicle) {
    SegmentDetector::vehicleLeaving(vehicle);
    unsettle();
    for (LaneState& lane : m_vLanes) {
        const auto it = std::find(lane.vehicles.begin(), lane.vehicles.end(), &vehicle);
        if (it == lane.vehicles.end())
            continue;
        lane.vehicles.erase(it);
        if (lane.vehicles.empty() && lane.occupied)
            release(lane, m_Current);
        return;
    }
}

void OccupancyDet::writeInterval() {
    m_Output << Number{endOfIntervalTime()};
    for (LaneState& lane : m_vLanes) {
        if (lane.occupied) {
            lane.occupiedTime += m_Current - lane.periodStart;
            lane.periodStart = m_Current;
        }
        m_Output << ',' << Number{lane.occupiedTime / m_Interval};
        lane.occupiedTime = 0.0;
    }
    endRow(m_Output);
}

} // namespace tarlo
