#include "engine/Sim.h"

namespace tarlo {

Sim::Sim(const CSettings& settings, Host& host) : road(settings, host), settings(settings) {}

int Sim::init(bool& ok) {
    ok = true;
    road.timeStep = m_SimTimeStep;
    road.noDirections = m_NoDirections;
    road.noLanes = m_NoLanes;
    road.noLanesPos = m_NoLanesDirPos;
    road.noLanesNeg = m_NoLanesDirNeg;
    road.roadLength = m_RoadLength;
    road.setupFile(m_FileType, m_NoLanes, m_FileIn);
    time = road.init(ok);
    for (const auto& bridge : road.getBridges())
        bridge->Initialize(m_SimTimeStep, time, settings, &road.outputFiles);
    return static_cast<int>(road.lineCount());
}

void Sim::advance(bool& running) {
    const double t = time;
    road.injectVehicles(t);
    if (road.update(t))
        running = false;
    progress = road.progress;
    time = t + m_SimTimeStep;
}

LaneSnapshot Sim::step(bool& running) {
    advance(running);
    return road.getVehicles();
}

} // namespace tarlo
