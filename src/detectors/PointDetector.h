#pragma once

#include "detectors/Detector.h"
#include "detectors/LaneStatistics.h"

namespace tarlo {

// A detector that watches one position of one direction.
class PointDetector : public Detector {
public:
    // The watched direction position: x in the positive direction, L - x in the negative.
    int position() const { return m_Position; }
    // The global position x, as the file names carry it.
    int globalPosition() const { return m_DirPos ? m_Position : m_RoadLength - m_Position; }

protected:
    // x is the global position.
    PointDetector(int kind, const DetectorParams& params, int x);

    // The time at which a vehicle that now stands at its new position with its new speed
    // crossed the detector during the step that ends at t.
    double crossingTime(const Vehicle& vehicle, double t) const;

    int m_Position;
};

// A point detector that writes per-lane statistics to one file per interval.
class MetricsDetector : public PointDetector {
public:
    void finish() override;
    virtual void resetLanes() {}

protected:
    MetricsDetector(int kind, const DetectorParams& params, int x,
                    const CVehicleTypes* vehicleTypes = nullptr);

    LaneStatistics m_Statistics;
};

} // namespace tarlo
