#pragma once

#include "detectors/Detector.h"

namespace tarlo {

// A detector that watches the stretch of one direction between two positions. The
// vehicle list (m_vVehicles) holds the vehicles inside the segment, in the order they
// entered: the pass check lists a vehicle when its front crosses the entry and unlists it
// when its front crosses the exit (both in one move when a step carries it through the
// whole segment), and the lane unlists it before it destroys it past the road end.
//
// Concrete kinds (MacroStatsSegDet 525, MicroStatsSegDet 526, OccupancyDet 529) set up
// their own state, then call openOutput(). An occupancy detector's update(t) may matter
// after a move anywhere in its direction, so it watches a stretch that it changes as the
// run goes (watchChangingStretch); the others only see the moves that reach the segment.
class SegmentDetector : public Detector {
public:
    // Lists the vehicle, unless it is listed already (a vehicle whose step ended exactly
    // on the entry is reported again by its next step).
    void vehiclePassed(const Vehicle& vehicle, double t) override;
    // Runs after the pass check of every move it sees.
    virtual void update(double /*t*/) {}
    // The pass check's call after the move of `moved`: update(t) unless the detector knows
    // the move changes nothing for it.
    virtual void afterMove(const Vehicle& /*moved*/, double t) { update(t); }

    int entry() const { return m_Entry; }
    int exit() const { return m_Exit; }
    int length() const { return m_Length; }
    // The segment's start and end as entered, for the file names.
    int start() const { return m_DirPos ? m_Entry : m_RoadLength - m_Exit; }
    int end() const { return m_DirPos ? m_Exit : m_RoadLength - m_Entry; }

protected:
    // start and end are global positions, start <= end.
    SegmentDetector(int kind, const DetectorParams& params, int start, int end);

    // The entry and the exit as two points, for a kind that ignores the moves between them.
    std::vector<Stretch> entryAndExit() const {
        const double entry = m_Entry;
        const double exit = m_Exit;
        return {{entry, entry}, {exit, exit}};
    }

    // Direction positions: the traffic reaches the entry first.
    int m_Entry;
    int m_Exit;
    int m_Length;
};

} // namespace tarlo
