#pragma once

#include "detectors/Detector.h"
#include "detectors/LaneStatistics.h"

#include <vector>

namespace tarlo {

// A detector that watches a row of evenly spaced positions of one direction and gathers,
// for each position, samples of the vehicles that crossed it (filter applied). The
// positions are first, first + spacing, … while below last, then last (only last when
// first >= last), as direction positions in that order.
//
// Concrete kinds (SpaceTimeDensityDetector 527, SpaceTimeSMSDetector 528) call
// openOutput() in their constructors, compute from crossings(j) in writeInterval and
// empty the lists with clearCrossings(). finish() closes the stream.
class ArrayDetector : public Detector {
public:
    void finish() override;
    // Only its positions: a move between two of them gathers nothing.
    std::vector<Stretch> watchedStretches() const override;

    int first() const { return m_First; }
    int last() const { return m_Last; }
    int spacing() const { return m_Spacing; }
    // The direction positions, in list order.
    const std::vector<int>& positions() const { return m_vPositions; }
    // What the rows need of each vehicle that crossed position j, in crossing order.
    const std::vector<VehicleSample>& crossings(std::size_t j);

    // Gathers the vehicle's sample at every position that the move p0 -> p1 reaches
    // (p0 <= P <= p1); the filter is the caller's. Inline: moves reach array detectors often.
    void gatherCrossings(const Vehicle& vehicle, double p0, double p1) {
        const VehicleSample sample = sampleOf(vehicle);
        for (std::size_t i = firstSortedFrom(p0); i < m_vSorted.size() && m_vSorted[i] <= p1; ++i)
            m_vGathered.push_back({sample, m_vOrder[i]});
    }

protected:
    // first and last are global positions; spacing must be positive.
    ArrayDetector(int kind, const DetectorParams& params, int first, int spacing, int last);

    // Forgets the samples gathered at every position.
    void clearCrossings();

    int m_First;
    int m_Last;
    int m_Spacing;
    LaneStatistics m_Statistics;
    std::vector<int> m_vPositions;

private:
    // The index into m_vOrder of the first position at or beyond p (the size when none is).
    // No gap between sorted positions is wider than the spacing (only the last position entered
    // may be nearer its neighbour), so at least floor((p - lowest) / spacing) positions lie below
    // p, and counting on from there takes a step or two. A bisection would branch unpredictably
    // at each of its steps, and moves reach array detectors often.
    std::size_t firstSortedFrom(double p) const {
        const std::size_t n = m_vSorted.size();
        const double below = (p - m_vSorted.front()) * m_InverseSpacing;
        std::size_t i = 0;
        if (below >= static_cast<double>(n))
            i = n;
        else if (below > 0.0)
            i = static_cast<std::size_t>(below);
        while (i < n && m_vSorted[i] < p)
            ++i;
        return i;
    }

    // A crossing of the position with list index `position`.
    struct Gathered {
        VehicleSample sample;
        std::size_t position;
    };
    // Every crossing of the interval in the order they came, in one list: each is written
    // next to the one before instead of into one of many lists far apart in memory.
    std::vector<Gathered> m_vGathered;
    // The crossings by position, sorted out of m_vGathered when they are asked for; the first
    // m_Sorted of m_vGathered are in them.
    std::vector<std::vector<VehicleSample>> m_vCrossings;
    std::size_t m_Sorted = 0;
    // List indices by increasing direction position, and those positions.
    std::vector<std::size_t> m_vOrder;
    std::vector<double> m_vSorted;
    // 1 / spacing, or 0 without a positive spacing.
    double m_InverseSpacing = 0.0;
};

} // namespace tarlo
