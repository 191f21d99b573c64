#include "detectors/LaneStatistics.h"

#include "vehicles/CVehicleType.h"
#include "vehicles/CVehicleTypes.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace tarlo {

namespace {
double zeroIfNaN(double value) {
    return std::isnan(value) ? 0.0 : value;
}
} // namespace

LaneStatistics::LaneStatistics(int lanes, double interval, const CVehicleTypes* vehicleTypes)
    : m_Interval(interval), m_Lanes(std::max(0, lanes)), m_pVehicleTypes(vehicleTypes),
      m_vSpeeds(m_Lanes), m_vSpaceMeanSpeeds(m_Lanes), m_vFlows(m_Lanes), m_vCounts(m_Lanes) {}

void LaneStatistics::reset() {
    m_vClasses.clear();
    for (std::vector<double>& speeds : m_vSpeeds)
        speeds.clear();
    std::fill(m_vSpaceMeanSpeeds.begin(), m_vSpaceMeanSpeeds.end(), 0.0);
    std::fill(m_vFlows.begin(), m_vFlows.end(), 0.0);
    std::fill(m_vCounts.begin(), m_vCounts.end(), 0);
    m_bSpaceMeanSpeedsDone = false;
    m_bFlowsDone = false;
}

void LaneStatistics::add(const VehicleSample& sample) {
    const int lane = sample.lane;
    if (lane < 1 || lane > m_Lanes)
        return;
    m_vClasses.push_back(sample.vehicleClass);
    ++m_vCounts[lane - 1];
    m_vSpeeds[lane - 1].push_back(sample.speed);
    m_bSpaceMeanSpeedsDone = false;
    m_bFlowsDone = false;
}

void LaneStatistics::collect(const std::vector<Vehicle>& vehicles) {
    reset();
    for (const Vehicle& vehicle : vehicles)
        add(vehicle);
}

void LaneStatistics::collect(const std::vector<VehicleSample>& samples) {
    reset();
    for (const VehicleSample& sample : samples)
        add(sample);
}

void LaneStatistics::flows(std::vector<double>& out, double& total) {
    if (!m_bFlowsDone) {
        for (int i = 0; i < m_Lanes; ++i)
            m_vFlows[i] = m_vCounts[i] * (3600.0 / m_Interval);
        m_bFlowsDone = true;
    }
    out = m_vFlows;
    total = std::accumulate(out.begin(), out.end(), 0.0);
}

void LaneStatistics::spaceMeanSpeeds(std::vector<double>& out, double& total) {
    if (!m_bSpaceMeanSpeedsDone) {
        for (int i = 0; i < m_Lanes; ++i) {
            double inverseSum = 0.0;
            for (double speed : m_vSpeeds[i])
                inverseSum += 1.0 / speed;
            m_vSpaceMeanSpeeds[i] = zeroIfNaN(m_vCounts[i] * 3.6 / inverseSum);
        }
        m_bSpaceMeanSpeedsDone = true;
    }
    out = m_vSpaceMeanSpeeds;
    total = std::accumulate(out.begin(), out.end(), 0.0) / m_Lanes;
}

void LaneStatistics::densities(std::vector<double>& out, double& total) {
    std::vector<double> unused;
    double unusedTotal = 0.0;
    flows(unused, unusedTotal);
    spaceMeanSpeeds(unused, unusedTotal);
    out.assign(m_Lanes, 0.0);
    for (int i = 0; i < m_Lanes; ++i)
        out[i] = zeroIfNaN(m_vFlows[i] / m_vSpaceMeanSpeeds[i]);
    total = std::accumulate(out.begin(), out.end(), 0.0);
}

void LaneStatistics::timeMeanSpeeds(std::vector<double>& out, double& total) const {
    out.assign(m_Lanes, 0.0);
    for (int i = 0; i < m_Lanes; ++i) {
        const double sum = std::accumulate(m_vSpeeds[i].begin(), m_vSpeeds[i].end(), 0.0);
        out[i] = zeroIfNaN(sum * 3.6 / m_vCounts[i]);
    }
    total = std::accumulate(out.begin(), out.end(), 0.0) / m_Lanes;
}

void LaneStatistics::composition(std::vector<int>& out) const {
    if (!m_pVehicleTypes)
        return;
    out.assign(std::max(0, m_pVehicleTypes->getNoTypes()), 0);
    for (int vehicleClass : m_vClasses) {
        for (std::size_t i = 0; i < m_pVehicleTypes->size(); ++i) {
            const CVehicleType* type = m_pVehicleTypes->getType(i);
            if (type && type->getClass() == vehicleClass) {
                if (i < out.size())
                    ++out[i];
                break;
            }
        }
    }
}

} // namespace tarlo
