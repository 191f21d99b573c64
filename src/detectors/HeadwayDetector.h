#pragma once

#include "detectors/PointDetector.h"

#include <vector>

namespace tarlo {

// The time gaps between successive crossings of each lane, written per interval as rows
// of one column per lane. File Head_<vt>_<dir>_<x>.csv.
class HeadwayDetector final : public MetricsDetector {
public:
    HeadwayDetector(const DetectorParams& params, int x);

    void openOutput() override;
    void writeInterval() override;
    void clearInterval() override;
    void vehiclePassed(const Vehicle& vehicle, double t) override;
    // Empty headway lists, and no crossing yet in any lane.
    void resetLanes() override;

    const std::vector<double>& headways(int lane) const { return m_vHeadways[lane - 1]; }

private:
    std::vector<std::vector<double>> m_vHeadways;
    // The crossing time of the lane's latest vehicle; 0 before the first one.
    std::vector<double> m_vLastCrossing;
};

} // namespace tarlo
