#include "detectors/MicroStatsSegDet.h"

#include "detectors/NumberText.h"

#include <algorithm>
#include <string>

namespace tarlo {

MicroStatsSegDet::MicroStatsSegDet(const DetectorParams& params, int start, int end)
    : SegmentDetector(DETECTOR_MICRO_SEGMENT, params, start, end) {
    hearStepStarts();
    openOutput();
}

void MicroStatsSegDet::finish() {
    if (m_Output.is_open())
        m_Output.close();
}

void MicroStatsSegDet::openOutput() {
    openStream(m_Output,
               fileName("Micro_", std::to_string(start()) + "-" + std::to_string(end()) + ".csv"));
    m_Output << "Time,Vehicle ID,Type,Lane,Length (m),Position (m),Gap (m),Front Vehicle ID,"
                "Velocity (km/h),Acceleration (m/s2)";
    endRow(m_Output);
}

void MicroStatsSegDet::writeInterval() {
    const double time = endOfIntervalTime();
    if (m_vVehicles.empty()) {
        m_Output << Number{time};
        endRow(m_Output);
        return;
    }
    for (auto it = m_vVehicles.rbegin(); it != m_vVehicles.rend(); ++it) {
        const Vehicle& vehicle = **it;
        m_Output << Number{time} << ',' << vehicle.vehicleNo << ',' << vehicle.vehicleClass + 1
                 << ',' << directionLaneNumber(vehicle) << ',' << Number{vehicle.length} << ','
                 << Number{vehicle.position} << ',' << Number{vehicle.gap} << ','
                 << frontVehicleNo(vehicle) << ',' << Number{vehicle.speed * 3.6} << ','
                 << Number{vehicle.accel};
        endRow(m_Output);
    }
}

unsigned MicroStatsSegDet::frontVehicleNo(const Vehicle& vehicle) const {
    for (const DepartedLeader& departed : m_vDeparted)
        if (departed.follower == &vehicle && departed.leader == vehicle.leader)
            return departed.vehicleNo;
    return vehicle.leader ? vehicle.leader->vehicleNo : 0;
}

void MicroStatsSegDet::vehicleLeaving(const Vehicle& vehicle) {
    SegmentDetector::vehicleLeaving(vehicle);
    std::erase_if(m_vDeparted, [&](const DepartedLeader& d) { return d.follower == &vehicle; });
    for (const Vehicle* follower : m_vVehicles)
        if (follower->leader == &vehicle)
            m_vDeparted.push_back({follower, &vehicle, vehicle.vehicleNo});
}

// A record applies from the leader's departure until the lanes renew the follower's leader,
// which they do in the step after it, after its rows were written: at the start of the
// second step after the departure it is dropped.
void MicroStatsSegDet::stepStarting() {
    if (m_vDeparted.empty())
        return;
    std::erase_if(m_vDeparted, [this](const DepartedLeader& d) {
        const bool listed =
            std::find(m_vVehicles.begin(), m_vVehicles.end(), d.follower) != m_vVehicles.end();
        return !listed || d.follower->leader != d.leader;
    });
}

} // namespace tarlo
