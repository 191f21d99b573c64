#pragma once

#include "engine/Road.h"

#include <string>

namespace tarlo {

class CSettings;
class Host;

// The simulation object of a document: the road and the clock, reused by every run. The
// run control copies the configuration in before each run.
class Sim {
public:
    Sim(const CSettings& settings, Host& host);

    // Prepares the road for a run; returns the number of lines in the traffic file. The
    // clock starts at the arrival time of the first vehicle.
    int init(bool& ok);
    // Advances one time step; clears `running` when the run is over.
    void advance(bool& running);
    // Advances one time step as `advance` does and answers the lanes as they are after it.
    LaneSnapshot step(bool& running);

    Road road;
    // The settings the run's objects copy their values from.
    const CSettings& settings;
    double time = 0.0;
    int progress = 0;

    double m_SimTimeStep = 0.25;
    int m_NoDirections = 2;
    int m_NoLanes = 3;
    int m_NoLanesDirPos = 2;
    int m_NoLanesDirNeg = 1;
    int m_RoadLength = 3000;
    std::string m_FileIn;
    int m_FileType = FORMAT_CASTOR;
};

} // namespace tarlo
