#pragma once

#include "detectors/SegmentDetector.h"

namespace tarlo {

// Density and mean speed per lane of the vehicles inside the segment at the end of every
// interval: Macro_<vt>_<dir>_<start>-<end>.csv. The segment's list is read, never cleared.
class MacroStatsSegDet final : public SegmentDetector {
public:
    // start and end are global positions.
    MacroStatsSegDet(const DetectorParams& params, int start, int end);

    void finish() override;
    void openOutput() override;
    void writeInterval() override;
    // Only the crossings of the entry and the exit change the list; moves between them
    // do nothing here.
    std::vector<Stretch> watchedStretches() const override;
};

} // namespace tarlo
