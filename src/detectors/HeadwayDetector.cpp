#include "detectors/HeadwayDetector.h"

#include "detectors/NumberText.h"

#include <algorithm>
#include <string>

namespace tarlo {

HeadwayDetector::HeadwayDetector(const DetectorParams& params, int x)
    : MetricsDetector(DETECTOR_HEADWAY, params, x) {
    resetLanes();
    openOutput();
}

void HeadwayDetector::resetLanes() {
    m_vHeadways.assign(m_Lanes, {});
    m_vLastCrossing.assign(m_Lanes, 0.0);
}

void HeadwayDetector::openOutput() {
    openStream(m_Output, fileName("Head_", std::to_string(globalPosition()) + ".csv"));
    m_Output << "Headways (s)";
    endRow(m_Output);
    for (int j = 1; j <= m_Lanes; ++j)
        m_Output << (j > 1 ? "," : "") << "Lane " << j;
    endRow(m_Output);
}

void HeadwayDetector::vehiclePassed(const Vehicle& vehicle, double t) {
    const int lane = directionLaneNumber(vehicle);
    if (lane < 1 || lane > m_Lanes)
        return;
    const double crossing = crossingTime(vehicle, t);
    m_vHeadways[lane - 1].push_back(crossing - m_vLastCrossing[lane - 1]);
    m_vLastCrossing[lane - 1] = crossing;
}

void HeadwayDetector::writeInterval() {
    std::size_t rows = 0;
    for (const std::vector<double>& headways : m_vHeadways)
        rows = std::max(rows, headways.size());
    for (std::size_t r = 0; r < rows; ++r) {
        for (std::size_t j = 0; j < m_vHeadways.size(); ++j) {
            if (j > 0)
                m_Output << ',';
            if (r < m_vHeadways[j].size())
                m_Output << Number{m_vHeadways[j][r]};
            else
                m_Output << ' ';
        }
        endRow(m_Output);
    }
    clearInterval();
}

// The latest crossing of each lane is kept, so that the first headway of an interval is
// the gap to the last vehicle of the one before, not a time since the start.
void HeadwayDetector::clearInterval() {
    for (std::vector<double>& headways : m_vHeadways)
        headways.clear();
}

} // namespace tarlo
