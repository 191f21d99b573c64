#pragma once

#include "detectors/ArrayDetector.h"

namespace tarlo {

// Space mean speed per lane (and their mean over all lanes) at every position of the row,
// from the vehicles that crossed it during the interval: STSMS_<vt>_<dir>_<first>-<last>.csv.
class SpaceTimeSMSDetector final : public ArrayDetector {
public:
    // first and last are global positions; spacing must be positive.
    SpaceTimeSMSDetector(const DetectorParams& params, int first, int spacing, int last);

    void openOutput() override;
    void writeInterval() override;
};

} // namespace tarlo
