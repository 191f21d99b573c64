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
        for (const Detector::Stretch& stretch : watched)
            m_vReach.push_back({stretch.last, stretch.first, stretch.first, m_vWatching.size()});
        m_vWatching.push_back(detector);
    }
    std::sort(m_vReach.begin(), m_vReach.end(),
              [](const Reach& a, const Reach& b) { return a.last < b.last; });
    for (std::size_t i = m_vReach.size(); i-- > 1;)
        m_vReach[i - 1].firstFromHere =
            std::min(m_vReach[i - 1].firstFromHere, m_vReach[i].firstFromHere);
}

std::vector<DetectorIndex::Reach>::const_iterator DetectorIndex::endingFrom(double p) const {
    return std::lower_bound(m_vReach.begin(), m_vReach.end(), p,
                            [](const Reach& reach, double x) { return reach.last < x; });
}

void DetectorIndex::checkWatching(Vehicle& vehicle, double p0, double p1, double t) const {
    // The stretches that end at or after p0 and start at or before p1.
    const auto from = endingFrom(p0);
    m_vReached.clear();
    for (auto it = from; it != m_vReach.end() && it->firstFromHere <= p1; ++it)
        if (it->first <= p1)
            m_vReached.push_back(it->detector);
    if (m_vReached.size() > 1) {
        std::sort(m_vReached.begin(), m_vReached.end());
        m_vReached.erase(std::unique(m_vReached.begin(), m_vReached.end()), m_vReached.end());
    }
    for (const std::size_t detector : m_vReached)
        m_vWatching[detector]->passCheck(vehicle, p0, p1, t);
    // The next move starts at p1: it must end at the first start of the stretches that end
    // at or after p1 to reach one, never when there is none. They begin at or after `from`,
    // a move or two of stretches on.
    auto next = from;
    while (next != m_vReach.end() && next->last < p1)
        ++next;
    vehicle.detectorCheckFrom =
        next == m_vReach.end() ? std::numeric_limits<double>::infinity() : next->firstFromHere;
}

} // namespace tarlo
