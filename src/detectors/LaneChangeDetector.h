#pragma once

#include "detectors/Detector.h"
#include "detectors/LaneChangeEvent.h"
#include "detectors/LaneStatistics.h"

#include <string>
#include <string_view>
#include <vector>

namespace tarlo {

class CVehicleTypes;

// Records every lane change of one direction, as the lanes report them, and writes per
// interval four files, each named <prefix><vt>_<dir>.csv:
//   LC_All_   every change: time, position, lanes, side and vehicle type;
//   LC_Comp_  the changes per vehicle type (only for the filters All Vehicles and All
//             Trucks);
//   LC_ST_    time and position, changes to the right in the first two columns, changes
//             to the left in the last two;
//   LC_Rate_  changes per hour and km in location bins of a fixed width.
// It takes no part in the pass checks.
//
// The bin boundaries are 0, w, 2w, ... below the road length L, then L; a change counts in
// the bin of the first boundary greater than its position. A change at or beyond L (made
// in the run-out past the road end, or at the very entrance of the negative direction)
// has no such boundary and counts in the last bin, so the rates hold every change that
// the verbose file lists.
class LaneChangeDetector final : public Detector, public LaneChangeRecorder {
public:
    // binWidth must be positive (m); vehicleTypes is the road's classification, may be null.
    LaneChangeDetector(const DetectorParams& params, int binWidth,
                       const CVehicleTypes* vehicleTypes);

    void finish() override;
    void openOutput() override;
    void writeInterval() override;
    void clearInterval() override;
    LaneChangeRecorder* laneChangeRecorder() override { return this; }

    // Keeps the event when its vehicle class passes the filter.
    void recordEvent(const LaneChangeEvent& event) override;

    int binWidth() const { return m_BinWidth; }
    const std::vector<int>& binBoundaries() const { return m_vBinBoundaries; }
    // The events recorded since the last completed interval.
    int eventCount() const { return m_Count; }

private:
    bool writesComposition() const {
        return m_VehicleFilter == FILTER_ALL_VEHICLES || m_VehicleFilter == FILTER_ALL_TRUCKS;
    }
    std::string laneChangeFileName(std::string_view prefix) const;
    std::size_t binOf(int position) const;
    void writeVerbose();
    void writeComposition();
    void writeSpaceTime();
    void writeRates();

    LaneStatistics m_Statistics;
    OutputFileStream m_Verbose;
    OutputFileStream m_Composition;
    OutputFileStream m_SpaceTime;
    OutputFileStream m_Rates;
    std::vector<LaneChangeEvent> m_vEvents; // in recording order
    int m_Count = 0;
    int m_BinWidth;
    std::vector<int> m_vBinBoundaries;
    std::vector<int> m_vBinCounts;
};

} // namespace tarlo
