#pragma once

#include "detectors/DetectorCodes.h"
#include "detectors/LaneStatistics.h"
#include "engine/OutputFiles.h"
#include "engine/Vehicle.h"

#include <cstddef>
#include <limits>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace tarlo {

class LaneChangeRecorder;

// What every runtime detector is built from: its element's direction, filter and interval,
// the watched direction's lanes, the road length, the output folder and the file buffer size.
struct DetectorParams {
    bool positive = true;
    int lanes = 1;
    int filter = FILTER_ALL_VEHICLES;
    double interval = 60.0; // s
    int roadLength = 0;     // m
    // Prefix of every output file name (a folder ending in its separator).
    std::string outputDir;
    unsigned fileBufferMB = 1; // FILE_BUFFER_MB
    // The run's record of its output files; may be null.
    OutputFiles* outputFiles = nullptr;
};

// Root of the runtime detectors. The road owns them; each direction and each of its lanes
// refers to the detectors of that direction. The engine drives them through three calls:
//   tickInterval  by the direction at the start of every step, before anything moves;
//   passCheck     by the lane after every vehicle move (before features and bridges);
//   vehicleLeaving by the lane just before it destroys a vehicle past the road end;
// and finish() at the end of the run. Output files are opened, headers included, by the
// concrete constructors (openOutput), so every file exists from the detector's creation.
//
// Positions of a detector are direction positions: a global position x is x in the
// positive direction and L - x in the negative one. Detectors number the lanes of their
// direction from 1 at the inside lane (directionLaneNumber).
//
// Output: fields separated by ',', rows ended by endRow (CR LF), numbers in the stream's
// default format (6 significant digits). A file that cannot be opened leaves its stream
// failed and everything written to it is dropped; the run's record of output files learns
// of it, and of every file whose writes or close failed.
class Detector {
public:
    virtual ~Detector();
    Detector(const Detector&) = delete;
    Detector& operator=(const Detector&) = delete;

    // End of the run: closes the output file(s).
    virtual void finish() {}
    // Opens the output file(s) and writes the header(s); called by concrete constructors.
    virtual void openOutput() {}
    // An interval has just completed (endOfIntervalTime() is its end): write its results.
    virtual void writeInterval() {}
    // Discards what was gathered during the interval.
    virtual void clearInterval() {}
    // A vehicle that passes the filter crossed the point (entered the segment) during the
    // step that ends at t; it already stands at its new position with its new speed.
    virtual void vehiclePassed(const Vehicle& /*vehicle*/, double /*t*/) {}

    // The vehicle is about to be destroyed: drop every reference to it. The default takes
    // it out of the vehicle list; a detector with lists of its own extends this.
    virtual void vehicleLeaving(const Vehicle& vehicle) { removeOccupant(vehicle); }
    // Where the lanes report lane changes: a lane change detector (kind 523) returns itself;
    // each direction asks its first one once, at set-up.
    virtual LaneChangeRecorder* laneChangeRecorder() { return nullptr; }

    // Advances the interval clock by one step; completes at most one interval per step.
    // The direction runs it at the start of every step, before any lane change or move.
    void tickInterval(double dt) {
        if (m_bHearsStepStarts)
            stepStarting();
        m_ElapsedTime += dt;
        m_TimeSinceOutput += dt;
        if (m_TimeSinceOutput >= m_Interval) {
            m_TimeSinceOutput -= m_Interval;
            ++m_IntervalCount;
            writeInterval();
        }
    }

    // A vehicle of the detector's direction moved from direction position p0 to p1 in the
    // step that ends at t. A move that misses the watched stretch costs two comparisons;
    // the category rules run only for the others:
    //   point     p0 <= X <= p1 and the filter passes: vehiclePassed.
    //   segment   p0 <= entry <= p1: vehiclePassed if the filter passes, and when the same
    //             move also crosses the exit (p0 < exit <= p1) removeOccupant right after;
    //             otherwise p0 < exit <= p1: removeOccupant. Then update(t).
    //   array     every position P with p0 <= P <= p1 gathers a copy if the filter passes.
    //   lane change  nothing.
    // Both ends are inclusive: a vehicle whose step ends exactly on a position and whose
    // next step starts there is reported in both steps.
    void passCheck(const Vehicle& vehicle, double p0, double p1, double t) {
        if ((p1 >= m_WatchFirst && p0 <= m_WatchLast) || rearReaches(vehicle, p0, p1))
            react(vehicle, p0, p1, t);
    }

    // A stretch of direction positions, ends included; a point is a stretch of no length.
    struct Stretch {
        double first;
        double last;
    };
    // The stretches a move must reach for passCheck to do anything (none when the detector
    // watches nothing). Only for a detector whose stretch stays as it was set up.
    virtual std::vector<Stretch> watchedStretches() const {
        if (m_WatchFirst > m_WatchLast)
            return {};
        return {{m_WatchFirst, m_WatchLast}};
    }
    // The watched stretch changes during the run, so moves must be offered to passCheck,
    // which tests them against the stretch of the moment: every move while the detector
    // watches every move, and otherwise those that end at or beyond nextCheckFrom.
    bool stretchChanges() const { return m_bStretchChanges; }
    bool watchesEveryMove() const {
        return m_WatchFirst == -std::numeric_limits<double>::infinity() &&
               m_WatchLast == std::numeric_limits<double>::infinity();
    }
    // For a detector whose stretch changes: while it does not watch every move, a move of the
    // vehicle from p1 on can only reach what it watches if it ends at or beyond the returned
    // position. By default every move may.
    virtual double nextCheckFrom(const Vehicle& /*vehicle*/, double /*p1*/) const {
        return -std::numeric_limits<double>::infinity();
    }

    // Takes the first occurrence of the vehicle out of the vehicle list, if it is there.
    void removeOccupant(const Vehicle& vehicle);
    bool accepts(const Vehicle& vehicle) const {
        return filterAccepts(m_VehicleFilter, vehicle.vehicleClass);
    }

    int category() const { return m_Category; }
    int kind() const { return m_Kind; }
    int vehicleFilter() const { return m_VehicleFilter; }
    int roadLength() const { return m_RoadLength; }
    bool positiveDirection() const { return m_DirPos; }
    int lanes() const { return m_Lanes; }
    double interval() const { return m_Interval; }
    int intervalCount() const { return m_IntervalCount; }
    double elapsedTime() const { return m_ElapsedTime; }
    double timeSinceOutput() const { return m_TimeSinceOutput; }
    // The end of the latest completed interval, s since the detector was created.
    double endOfIntervalTime() const { return m_IntervalCount * m_Interval; }
    const std::vector<const Vehicle*>& vehicles() const { return m_vVehicles; }
    const std::string& outputDirectory() const { return m_OutputDir; }
    // The output files of the detector, in the order it opened them.
    const std::vector<std::string>& outputFileNames() const { return m_vFileNames; }
    // The direction position of a global position.
    int directionPosition(int x) const { return m_DirPos ? x : m_RoadLength - x; }

protected:
    Detector(int category, int kind, const DetectorParams& params);

    // The stretch of direction positions where moves matter (set by the category classes;
    // none by default).
    void watch(double first, double last) {
        m_WatchFirst = first;
        m_WatchLast = last;
    }
    // A detector whose stretch may change as the run goes: it starts with every move and
    // sets the stretch of the moment with watch(); stepStarting() tells it a step begins.
    void watchChangingStretch() {
        m_bStretchChanges = true;
        hearStepStarts();
        watchEveryMove();
    }
    // Have the interval clock call stepStarting() at every step.
    void hearStepStarts() { m_bHearsStepStarts = true; }
    void watchEveryMove() {
        watch(-std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity());
    }
    // A stretch where moves matter by where the vehicle's rear (position - length) goes,
    // besides the stretch watch() sets; only for a detector whose stretch changes.
    void watchRears(double first, double last) {
        m_RearFirst = first;
        m_RearLast = last;
    }
    // A step begins (only for a detector that asked, hearStepStarts): the interval clock
    // calls it before its own writeInterval and before the step's lane changes and moves.
    virtual void stepStarting() {}

    // Output folder + prefix + filter token + "_" + "Pos"/"Neg" + "_" + tail, e.g.
    // fileName("FD_", "1000.csv") gives <dir>FD_All_Neg_1000.csv.
    std::string fileName(std::string_view prefix, std::string_view tail) const;
    // Opens a file for writing, truncating it, in binary mode (rows end with endRow), and
    // has it report to the run's record. A buffered stream writes through the detector's
    // buffer of FILE_BUFFER_MB MiB; only one stream of a detector may take it.
    void openStream(OutputFileStream& stream, const std::string& name, bool buffered = true);
    static void endRow(std::ostream& out) { out << "\r\n"; }

    int m_Category;
    int m_Kind;
    int m_VehicleFilter;
    int m_RoadLength;
    bool m_DirPos;
    int m_Lanes;
    double m_TimeSinceOutput = 0.0;
    double m_ElapsedTime = 0.0;
    double m_Interval;
    int m_IntervalCount = 0;
    std::size_t m_BufferSize;
    // Allocated when a buffered stream is opened; declared before the stream it serves so
    // that it outlives it.
    std::unique_ptr<char[]> m_pBuffer;
    // Segment detectors: the vehicles inside the segment, in the order they entered.
    std::vector<const Vehicle*> m_vVehicles;
    std::string m_OutputDir;
    OutputFiles* m_pOutputFiles;
    std::vector<std::string> m_vFileNames;
    OutputFileStream m_Output;

private:
    // The category rules of passCheck.
    void react(const Vehicle& vehicle, double p0, double p1, double t);
    bool rearReaches(const Vehicle& vehicle, double p0, double p1) const {
        const double length = vehicle.length;
        return p1 - length >= m_RearFirst && p0 - length <= m_RearLast;
    }

    double m_WatchFirst = std::numeric_limits<double>::infinity();
    double m_WatchLast = -std::numeric_limits<double>::infinity();
    double m_RearFirst = std::numeric_limits<double>::infinity();
    double m_RearLast = -std::numeric_limits<double>::infinity();
    bool m_bStretchChanges = false;
    bool m_bHearsStepStarts = false;
};

} // namespace tarlo
