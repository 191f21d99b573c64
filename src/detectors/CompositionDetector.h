#pragma once

#include "detectors/PointDetector.h"

#include <vector>

namespace tarlo {

class CVehicleTypes;

// The number of vehicles of each vehicle type that crossed the position per interval.
// Only the filters "All Vehicles" and "All Trucks" gather anything. File
// Comp_<vt>_<dir>_<x>.csv.
class CompositionDetector final : public MetricsDetector {
public:
    // vehicleTypes is the road's classification (may be null: rows then hold only times).
    CompositionDetector(const DetectorParams& params, int x, const CVehicleTypes* vehicleTypes);

    void openOutput() override;
    void writeInterval() override;
    void clearInterval() override;
    void vehiclePassed(const Vehicle& vehicle, double t) override;

private:
    std::vector<Vehicle> m_vGathered;
    const CVehicleTypes* m_pVehicleTypes;
};

} // namespace tarlo
