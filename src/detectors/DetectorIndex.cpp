#include "detectors/DetectorIndex.h"

#include <algorithm>
#include <bit>
#include <cstdint>
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

std::vector<DetectorIndex::Reach>::const_iterator
DetectorIndex::endingFrom(std::vector<Reach>::const_iterator from, double p) const {
    while (from != m_vReach.end() && from->last < p)
        ++from;
    return from;
}

void DetectorIndex::checkWatching(Vehicle& vehicle, double p0, double p1, double t) const {
    // The stretches that end at or after p0 and start at or before p1. The vehicle's last
    // checked move ended at or before p0, and the stretches that end before p0 from the one
    // it noted on are a move or two of stretches.
    const auto noted =
        m_vReach.begin() + std::min<std::ptrdiff_t>(vehicle.detectorReach, std::ssize(m_vReach));
    const auto from = endingFrom(noted, p0);
    const auto forEachReached = [&](auto&& note) {
        for (auto it = from; it != m_vReach.end() && it->firstFromHere <= p1; ++it)
            if (it->first <= p1)
                note(it->detector);
    };
    if (m_vWatching.size() <= 64) {
        // Gathered as bits, which come out in list order and once each.
        std::uint64_t reached = 0;
        forEachReached(
            [&reached](std::size_t detector) { reached |= std::uint64_t{1} << detector; });
        for (; reached != 0; reached &= reached - 1)
            m_vWatching[static_cast<std::size_t>(std::countr_zero(reached))]->passCheck(vehicle, p0,
                                                                                        p1, t);
    } else {
        m_vReached.clear();
        forEachReached([this](std::size_t detector) { m_vReached.push_back(detector); });
        std::sort(m_vReached.begin(), m_vReached.end());
        m_vReached.erase(std::unique(m_vReached.begin(), m_vReached.end()), m_vReached.end());
        for (const std::size_t detector : m_vReached)
            m_vWatching[detector]->passCheck(vehicle, p0, p1, t);
    }
    // The next move starts at p1: it must end at the first start of the stretches that end
    // at or after p1 to reach one, never when there is none.
    const auto next = endingFrom(from, p1);
    vehicle.detectorReach = static_cast<std::uint32_t>(next - m_vReach.begin());
    double checkFrom =
        next == m_vReach.end() ? std::numeric_limits<double>::infinity() : next->firstFromHere;
    for (const Detector* detector : m_vChanging)
        checkFrom = std::min(checkFrom, detector->nextCheckFrom(vehicle, p1));
    vehicle.detectorCheckFrom = checkFrom;
}

} // namespace tarlo
