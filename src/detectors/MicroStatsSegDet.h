#pragma once

#include "detectors/SegmentDetector.h"

#include <vector>

namespace tarlo {

// One row per vehicle inside the segment at the end of every interval, the latest to
// enter first: Micro_<vt>_<dir>_<start>-<end>.csv. An empty segment writes a row holding
// only the time. The segment's list is read, never cleared.
//
// The rows are written at the start of a step, before the lanes renew each vehicle's
// leader; a listed vehicle whose leader left the road in the step before still points at
// it. The detector remembers such leaders when they leave and writes the number of the
// vehicle that was followed (the row's gap and acceleration were computed behind it)
// without reading the pointer.
class MicroStatsSegDet final : public SegmentDetector {
public:
    // start and end are global positions.
    MicroStatsSegDet(const DetectorParams& params, int start, int end);

    void finish() override;
    void openOutput() override;
    void writeInterval() override;
    void vehicleLeaving(const Vehicle& vehicle) override;
    // Only the crossings of the entry and the exit change the list; the records of departed
    // leaders are looked after once per step.
    std::vector<Stretch> watchedStretches() const override { return entryAndExit(); }
    // Drops the records that no longer apply, before the step's rows are written.
    void stepStarting() override;

private:
    struct DepartedLeader {
        const Vehicle* follower;
        const Vehicle* leader; // compared, never read
        unsigned vehicleNo;
    };

    unsigned frontVehicleNo(const Vehicle& vehicle) const;

    // Listed vehicles whose leader has left the road and has not been renewed yet.
    std::vector<DepartedLeader> m_vDeparted;
};

} // namespace tarlo
