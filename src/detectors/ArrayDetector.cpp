#include "detectors/ArrayDetector.h"

#include <algorithm>
#include <numeric>

namespace tarlo {

ArrayDetector::ArrayDetector(int kind, const DetectorParams& params, int first, int spacing,
                             int last)
    : Detector(DETECTOR_ARRAY, kind, params), m_First(first), m_Last(last), m_Spacing(spacing),
      m_Statistics(params.lanes, params.interval) {
    // Without a positive spacing the row would never end; it is then just the last position.
    if (spacing > 0)
        for (long long d = first; d < last; d += spacing)
            m_vPositions.push_back(directionPosition(static_cast<int>(d)));
    m_vPositions.push_back(directionPosition(last));
    m_vCrossings.resize(m_vPositions.size());

    m_vOrder.resize(m_vPositions.size());
    std::iota(m_vOrder.begin(), m_vOrder.end(), std::size_t{0});
    std::stable_sort(m_vOrder.begin(), m_vOrder.end(), [this](std::size_t a, std::size_t b) {
        return m_vPositions[a] < m_vPositions[b];
    });
    for (const std::size_t j : m_vOrder)
        m_vSorted.push_back(m_vPositions[j]);
    if (spacing > 0)
        m_InverseSpacing = 1.0 / spacing;
    watch(m_vSorted.front(), m_vSorted.back());
}

void ArrayDetector::finish() {
    if (m_Output.is_open())
        m_Output.close();
}

std::vector<Detector::Stretch> ArrayDetector::watchedStretches() const {
    std::vector<Stretch> points;
    points.reserve(m_vPositions.size());
    for (const int position : m_vPositions)
        points.push_back({static_cast<double>(position), static_cast<double>(position)});
    return points;
}

const std::vector<VehicleSample>& ArrayDetector::crossings(std::size_t j) {
    for (; m_Sorted < m_vGathered.size(); ++m_Sorted) {
        const Gathered& gathered = m_vGathered[m_Sorted];
        m_vCrossings[gathered.position].push_back(gathered.sample);
    }
    return m_vCrossings[j];
}

void ArrayDetector::clearCrossings() {
    for (std::vector<VehicleSample>& crossings : m_vCrossings)
        crossings.clear();
    m_vGathered.clear();
    m_Sorted = 0;
}

} // namespace tarlo
