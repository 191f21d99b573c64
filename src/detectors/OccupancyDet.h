#pragma once

#include "detectors/SegmentDetector.h"

#include <vector>

namespace tarlo {

// The share of every interval during which each lane of the segment was occupied:
// Occup_<vt>_<dir>_<start>-<end>.csv. A lane is occupied while at least one vehicle is
// between the moment its front crosses the entry and the moment its rear crosses the
// exit. The detector keeps one list per lane, front first, and looks only at the front
// vehicle of each list after every move of its direction.
//
// Times are those of the move being checked: a vehicle that now stands at p with speed v
// crossed a position X at t - (p - X) / v. A vehicle carried through the whole segment in
// one step occupies it from its front's entry to its rear's exit, within that step.
class OccupancyDet final : public SegmentDetector {
public:
    // start and end are global positions.
    OccupancyDet(const DetectorParams& params, int start, int end);

    void finish() override;
    void openOutput() override;
    void writeInterval() override;
    void vehiclePassed(const Vehicle& vehicle, double t) override;
    void update(double t) override;
    // Once an update has found nothing to do, nothing changes within the step until a
    // vehicle enters or leaves, or a lane's front vehicle moves its rear past the exit: the
    // lane changes of a step come before its moves. The other moves skip the update.
    void afterMove(const Vehicle& moved, double t) override;
    // The first move of every step runs the update, wherever it is.
    void stepStarting() override;
    // Settled, the detector watches the entry by the fronts and the exit by the rears.
    double nextCheckFrom(const Vehicle& vehicle, double p1) const override;
    // A vehicle destroyed before its rear passed the exit (longer than the stretch between
    // the exit and the removal point) ends its occupation there.
    void vehicleLeaving(const Vehicle& vehicle) override;

    // The occupied time of a lane (1..n) gathered in the current interval, s, and whether
    // it is occupied now.
    double occupiedTime(int lane) const { return m_vLanes[lane - 1].occupiedTime; }
    bool occupied(int lane) const { return m_vLanes[lane - 1].occupied; }

private:
    struct LaneState {
        std::vector<const Vehicle*> vehicles; // front first
        bool occupied = false;
        double occupiedTime = 0.0;
        double periodStart = 0.0;
    };

    // When the vehicle, now at its position, was at direction position x; the current
    // time when it is not beyond x or stands still.
    double timeAt(const Vehicle& vehicle, double x) const;
    void occupy(LaneState& lane, double start);
    void release(LaneState& lane, double end);
    void insertByPosition(LaneState& lane, const Vehicle& vehicle);
    // Moves a vehicle that changed lanes to the list of its new lane.
    void followLaneChange(LaneState& from, const Vehicle& vehicle);
    // The vehicle lists changed or the last update did something: the next move of the
    // direction, wherever it is, runs the update.
    void unsettle();
    // Settled, only two kinds of move can change anything before the next step: a
    // crossing of the entry, and a move of a lane's front vehicle that takes its rear past
    // the exit (every front's rear was short of it at the update that settled). The others
    // are skipped before they reach the detector.
    void watchEntryAndRearExit();

    std::vector<LaneState> m_vLanes;
    double m_Current = 0.0;
    // The last update at m_Current changed nothing.
    bool m_bSettled = false;
};

} // namespace tarlo
