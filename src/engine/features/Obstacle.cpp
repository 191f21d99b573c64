#include "engine/features/Obstacle.h"

#include "engine/IDM.h"
#include "project/CRoadFeature.h"

#include <cmath>

namespace tarlo {

namespace {

int laneNumber(double value) {
    if (!std::isfinite(value) || std::abs(value) > 1.0e6)
        return 0;
    return static_cast<int>(value);
}

} // namespace

Obstacle::Obstacle(const CRoadFeature& element, const CSettings& settings)
    : Vehicle(settings), ControlSegment(element, 0.0) {
    m_bObstacle = true;
    featureVehicleType = CRoadFeature::AllVehicles;
    adherence = 1.0;
    lane = laneNumber(element.getValue());
    Vehicle::dirPositive = element.getDirPos();
    direction = element.getDirPos() ? 1 : 2;
    speed = 0.0;
    gvw = 0.0;
    noAxles = 0;
    axles.clear();
    // A driver with every parameter 0; the obstacle never asks it anything.
    driver = std::make_shared<IDM>(settings);
    standOnStretch();
}

void Obstacle::locate(int lengthOfRoad) {
    ControlSegment::locate(lengthOfRoad);
    roadLength = lengthOfRoad;
    standOnStretch();
}

void Obstacle::standOnStretch() {
    position = end;
    previousPosition = end;
    length = end - start;
}

} // namespace tarlo
