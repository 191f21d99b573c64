#include "detectors/SegmentDetector.h"

#include <algorithm>

namespace tarlo {

SegmentDetector::SegmentDetector(int kind, const DetectorParams& params, int start, int end)
    : Detector(DETECTOR_SEGMENT, kind, params),
      m_Entry(params.positive ? start : params.roadLength - end),
      m_Exit(params.positive ? end : params.roadLength - start), m_Length(end - start) {
    watch(std::min(m_Entry, m_Exit), std::max(m_Entry, m_Exit));
}

void SegmentDetector::vehiclePassed(const Vehicle& vehicle, double /*t*/) {
    if (std::find(m_vVehicles.begin(), m_vVehicles.end(), &vehicle) == m_vVehicles.end())
        m_vVehicles.push_back(&vehicle);
}

} // namespace tarlo
