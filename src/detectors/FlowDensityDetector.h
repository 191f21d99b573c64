#pragma once

#include "detectors/PointDetector.h"

#include <vector>

namespace tarlo {

// Per interval and lane: density, flow, space mean speed and time mean speed of the
// vehicles that crossed the position, with totals. File FD_<vt>_<dir>_<x>.csv.
class FlowDensityDetector final : public MetricsDetector {
public:
    FlowDensityDetector(const DetectorParams& params, int x);

    void openOutput() override;
    void writeInterval() override;
    void clearInterval() override;
    void vehiclePassed(const Vehicle& vehicle, double t) override;

private:
    // Copies taken at the crossing, so the statistics use the crossing speed.
    std::vector<Vehicle> m_vGathered;
};

} // namespace tarlo
