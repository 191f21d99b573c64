#include "detectors/DetectorIndex.h"

#include <algorithm>
#include <limits>

namespace tarlo {

DetectorIndex::DetectorIndex(const std::vector<Detector*>& detectors) {
    for (Detector* detector : detectors) {
        if (detector->stretchChanges()) {
            m_vChanging.push_back(detector);
            continue;
        }
        const std::vector<Detector::Stretch> watched = detector->watchedStretches();
        if (watched.empty())
            continue;
        m_vWatching.push_back(detector);
        for (const Detector::Stretch& stretch : watched)
            m_vReach.push_back({stretch.last, stretch.first});
    }
    std::sort(m_vReach.begin(), m_vReach.end(),
              [](const Reach& a, const Reach& b) { return a.last < b.last; });
    for (std::size_t i = m_vReach.size(); i-- > 1;)
        m_vReach[i - 1].firstFromHere =
            std::min(m_vReach[i - 1].firstFromHere, m_vReach[i].firstFromHere);
}

double DetectorIndex::nextStart(double p) const {
    const auto from = std::lower_bound(m_vReach.begin(), m_vReach.end(), p,
                                       [](const Reach& reach, double x) { return reach.last < x; });
    return from == m_vReach.end() ? std::numeric_limits<double>::infinity() : from->firstFromHere;
}

void DetectorIndex::checkWatching(Vehicle& vehicle, double p0, double p1, double t) const {
    for (Detector* detector : m_vWatching)
        detector->passCheck(vehicle, p0, p1, t);
    vehicle.detectorCheckFrom = nextStart(p1);
}

} // namespace tarlo
