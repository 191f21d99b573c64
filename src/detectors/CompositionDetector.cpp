#include "detectors/CompositionDetector.h"

#include "detectors/NumberText.h"

#include <string>

namespace tarlo {

CompositionDetector::CompositionDetector(const DetectorParams& params, int x,
                                         const CVehicleTypes* vehicleTypes)
    : MetricsDetector(DETECTOR_COMPOSITION, params, x, vehicleTypes),
      m_pVehicleTypes(vehicleTypes) {
    m_Statistics.reset();
    openOutput();
}

void CompositionDetector::openOutput() {
    openStream(m_Output, fileName("Comp_", std::to_string(globalPosition()) + ".csv"));
    m_Output << "Time (s),No. Cars,No. Small Trucks,No. Large Trucks,No. Cranes,"
                "No. Low-Loaders,No. User-defined vehicles";
    endRow(m_Output);
}

void CompositionDetector::vehiclePassed(const Vehicle& vehicle, double /*t*/) {
    if (m_VehicleFilter == FILTER_ALL_VEHICLES || m_VehicleFilter == FILTER_ALL_TRUCKS)
        m_vGathered.push_back(vehicle);
}

void CompositionDetector::writeInterval() {
    std::vector<int> counts;
    m_Statistics.collect(m_vGathered);
    m_Statistics.composition(counts);
    m_Output << Number{endOfIntervalTime()};
    for (int count : counts)
        m_Output << ',' << count;
    endRow(m_Output);
    clearInterval();
}

void CompositionDetector::clearInterval() {
    m_vGathered.clear();
}

} // namespace tarlo
