#include "detectors/PointDetector.h"

namespace tarlo {

PointDetector::PointDetector(int kind, const DetectorParams& params, int x)
    : Detector(DETECTOR_POINT, kind, params), m_Position(directionPosition(x)) {
    watch(m_Position, m_Position);
}

// Back from the new position at the new speed. A vehicle standing on the position (or
// one that reached it without speed) crossed it at the end of the step.
double PointDetector::crossingTime(const Vehicle& vehicle, double t) const {
    const double beyond = vehicle.position - m_Position;
    return beyond > 0.0 && vehicle.speed > 0.0 ? t - beyond / vehicle.speed : t;
}

MetricsDetector::MetricsDetector(int kind, const DetectorParams& params, int x,
                                 const CVehicleTypes* vehicleTypes)
    : PointDetector(kind, params, x), m_Statistics(params.lanes, params.interval, vehicleTypes) {}

void MetricsDetector::finish() {
    if (m_Output.is_open())
        m_Output.close();
}

} // namespace tarlo
