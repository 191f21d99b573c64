#include "engine/features/RoadSegment.h"

#include "engine/DriverModel.h"
#include "engine/Vehicle.h"
#include "project/CRoadFeature.h"
#include "vehicles/RandomGenerator.h"

#include <algorithm>

namespace tarlo {

RoadSegment::RoadSegment(int globalFrom, int globalTo, bool dirPositive)
    : start(std::min(globalFrom, globalTo)), end(std::max(globalFrom, globalTo)),
      dirPositive(dirPositive), m_GlobalStart(start), m_GlobalEnd(end) {}

void RoadSegment::locate(int roadLength) {
    // The negative direction runs from the far end of the road.
    start = dirPositive ? m_GlobalStart : roadLength - m_GlobalEnd;
    end = dirPositive ? m_GlobalEnd : roadLength - m_GlobalStart;
}

ControlSegment::ControlSegment(const CRoadFeature& element, double value)
    : RoadSegment(element.getStart(), element.getEnd(), element.getDirPos()),
      featureVehicleType(element.getFeatVehType()), adherence(element.getAdherence()),
      value(value) {}

bool ControlSegment::appliesTo(const Vehicle& vehicle) const {
    const int vehicleClass = vehicle.vehicleClass;
    switch (featureVehicleType) {
    case CRoadFeature::AllTrucks:
        return vehicleClass != 0;
    case CRoadFeature::Cars:
    case CRoadFeature::SmallTrucks:
    case CRoadFeature::LargeTrucks:
    case CRoadFeature::Cranes:
    case CRoadFeature::LowLoaders:
    case CRoadFeature::UserDefined:
        return vehicleClass == featureVehicleType - CRoadFeature::Cars;
    default:
        return true;
    }
}

DriverModel* ControlSegment::obeyingDriver(const Vehicle& vehicle) const {
    if (!vehicle.driver || !appliesTo(vehicle) || !featureRng)
        return nullptr;
    if (featureRng->uniform() > adherence)
        return nullptr;
    return vehicle.driver.get();
}

} // namespace tarlo
