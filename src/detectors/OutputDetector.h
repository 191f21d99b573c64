#pragma once

#include "detectors/PointDetector.h"
#include "trafficfiles/FileHandler.h"

#include <memory>
#include <string>
#include <vector>

namespace tarlo {

class CSettings;

// A traffic file of the vehicles that crossed the position, in the project's traffic file
// format, each record stamped with its crossing time: Veh_<vt>_<dir>_<x>.txt.
//
// Every crossing vehicle is written exactly once, in order of crossing time, with its lane
// numbered within its direction as the traffic files number it. The detector
// keeps a copy of each (stamped at the crossing), so nothing it holds refers to a vehicle
// that may leave the road, and writes the waiting copies at the end of every interval and
// at finish(), which also closes the file so that it is complete when the run ends. A
// vehicle counts at the move that brings its front from before the position to it or
// beyond; at the entrance (direction position 0) at its first move off it.
class OutputDetector final : public PointDetector {
public:
    // format: 100 SAFT, 101 CASTOR, any other code Kirro.
    OutputDetector(const DetectorParams& params, int x, int format, const CSettings& settings);
    // Writes what is still waiting (a run stopped early) and closes the file.
    ~OutputDetector() override;

    void finish() override;
    void writeInterval() override;
    void vehiclePassed(const Vehicle& vehicle, double t) override;

    const std::string& trafficFileName() const { return m_FileName; }
    std::size_t waitingCount() const { return m_vOrder.size(); }

private:
    struct Crossing {
        double time;
        Vehicle vehicle;
    };

    void writeWaiting();
    // Closes the traffic file once and tells the run's record how it ended.
    void closeFile();

    std::string m_FileName;
    std::unique_ptr<FileHandler> m_pWriter;
    bool m_bClosed = false;
    // The copies of the waiting crossings fill the first slots, in the order they came; the
    // slots after them keep their storage (the axle lists) for the crossings to come.
    std::vector<Crossing> m_vSlots;
    // The slots of the waiting crossings in crossing-time order.
    std::vector<std::size_t> m_vOrder;
};

} // namespace tarlo
