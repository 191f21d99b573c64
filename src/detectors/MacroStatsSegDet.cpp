#include "detectors/MacroStatsSegDet.h"

#include "detectors/NumberText.h"

#include <cmath>
#include <string>
#include <vector>

namespace tarlo {

namespace {
double zeroIfNaN(double value) {
    return std::isnan(value) ? 0.0 : value;
}
} // namespace

MacroStatsSegDet::MacroStatsSegDet(const DetectorParams& params, int start, int end)
    : SegmentDetector(DETECTOR_MACRO_SEGMENT, params, start, end) {
    openOutput();
}

std::vector<Detector::Stretch> MacroStatsSegDet::watchedStretches() const {
    return entryAndExit();
}

void MacroStatsSegDet::finish() {
    if (m_Output.is_open())
        m_Output.close();
}

void MacroStatsSegDet::openOutput() {
    openStream(m_Output,
               fileName("Macro_", std::to_string(start()) + "-" + std::to_string(end()) + ".csv"));
    m_Output << " ,";
    for (int i = 1; i <= m_Lanes; ++i)
        m_Output << "Lane " << i << ", ,";
    m_Output << "Totals";
    endRow(m_Output);
    m_Output << "Time";
    for (int i = 0; i <= m_Lanes; ++i)
        m_Output << ",Density (veh/km),Space Mean Speed (km/hr)";
    endRow(m_Output);
}

void MacroStatsSegDet::writeInterval() {
    std::vector<int> counts(m_Lanes, 0);
    std::vector<double> speedSums(m_Lanes, 0.0);
    int total = 0;
    double totalSpeed = 0.0;
    for (const Vehicle* vehicle : m_vVehicles) {
        const int lane = directionLaneNumber(*vehicle);
        if (lane < 1 || lane > m_Lanes)
            continue;
        ++counts[lane - 1];
        speedSums[lane - 1] += vehicle->speed;
        ++total;
        totalSpeed += vehicle->speed;
    }
    // An empty lane (or a segment without length) has no density.
    const double km = m_Length / 1000.0;
    m_Output << Number{endOfIntervalTime()};
    for (int i = 0; i < m_Lanes; ++i)
        m_Output << ',' << Number{zeroIfNaN(counts[i] / km)} << ','
                 << Number{zeroIfNaN(3.6 / counts[i] * speedSums[i])};
    m_Output << ',' << Number{zeroIfNaN(total / km)} << ','
             << Number{zeroIfNaN(3.6 / total * totalSpeed)};
    endRow(m_Output);
}

} // namespace tarlo
