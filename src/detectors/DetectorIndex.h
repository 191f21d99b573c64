#pragma once

#include "detectors/Detector.h"
#include "engine/Vehicle.h"

#include <vector>

namespace tarlo {

// The detectors of one direction arranged by where they watch, so that a vehicle's move is
// checked only by the detectors whose positions it may span. Vehicles only move forwards:
// once a move has ended at p, no later move reaches a stretch that ends before p, and none reaches
// the others before the first of them begins. Each vehicle carries that position
// (`detectorCheckFrom`), so a move short of it costs one comparison, however many detectors the
// road has. A move that gets that far is checked only by the detectors it reaches, in their
// list order. Detectors whose stretch changes during the run test the moves themselves: every
// move while they watch every move, otherwise those from where they say the vehicle may next
// reach them (also folded into `detectorCheckFrom`). Detectors keep no order among
// themselves: each reacts to a move on its own.
class DetectorIndex {
public:
    DetectorIndex() = default;
    explicit DetectorIndex(const std::vector<Detector*>& detectors);

    // The pass checks of the vehicle's move p0 -> p1 (p0 <= p1) in the step that ends at t.
    // Inline: the lane runs it after every move, and most moves reach no detector.
    void passCheck(Vehicle& vehicle, double p0, double p1, double t) const {
        for (Detector* detector : m_vChanging)
            detector->passCheck(vehicle, p0, p1, t);
        if (p1 >= vehicle.detectorCheckFrom)
            checkWatching(vehicle, p0, p1, t);
    }

    // Whether some detector's stretch changes during the run. A move that ends short of
    // `detectorCheckFrom` then still needs its pass checks while one of them watches every
    // move.
    bool hasChangingStretches() const { return !m_vChanging.empty(); }
    bool someWatchEveryMove() const {
        for (const Detector* detector : m_vChanging)
            if (detector->watchesEveryMove())
                return true;
        return false;
    }

private:
    // The pass checks of a move that may reach a watched stretch, by the detectors whose
    // stretches it reaches; sets where the vehicle's next move must end to reach one.
    void checkWatching(Vehicle& vehicle, double p0, double p1, double t) const;

    std::vector<Detector*> m_vChanging;
    std::vector<Detector*> m_vWatching;
    // The stretches by increasing end, each with its start, the smallest start of it and
    // all after it, and its detector (an index into m_vWatching).
    struct Reach {
        double last;
        double first;
        double firstFromHere;
        std::size_t detector;
    };
    std::vector<Reach> m_vReach;
    // The first of the stretches from `from` on that end at or after p.
    std::vector<Reach>::const_iterator endingFrom(std::vector<Reach>::const_iterator from,
                                                  double p) const;
    // The detectors a move reaches, gathered before they are called, when there are too many
    // for the bits of a word; kept to save the allocation.
    mutable std::vector<std::size_t> m_vReached;
};

} // namespace tarlo
