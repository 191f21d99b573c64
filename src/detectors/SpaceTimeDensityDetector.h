#pragma once

#include "detectors/ArrayDetector.h"

#include <ostream>

namespace tarlo {

// Density per lane (and their sum) at every position of the row, from the vehicles that
// crossed it during the interval: STD_<vt>_<dir>_<first>-<last>.csv.
class SpaceTimeDensityDetector final : public ArrayDetector {
public:
    // first and last are global positions; spacing must be positive.
    SpaceTimeDensityDetector(const DetectorParams& params, int first, int spacing, int last);

    void openOutput() override;
    void writeInterval() override;
};

// What the two space-time kinds share. The header: the lanes, then the totals, each over
// one column per position, and the direction positions under them. A row: the time, then
// for every lane and then the totals one statistic per position.
void writeSpaceTimeHeader(std::ostream& out, int lanes, const std::vector<int>& positions);
using LaneStatistic = void (LaneStatistics::*)(std::vector<double>&, double&);
void writeSpaceTimeRow(std::ostream& out, double time, ArrayDetector& detector,
                       LaneStatistics& statistics, LaneStatistic statistic);

} // namespace tarlo
