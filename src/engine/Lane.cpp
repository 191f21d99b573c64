#include "engine/Lane.h"

#include "project/settings/CSettings.h"

namespace tarlo {

Lane::Lane(const CSettings& settings, int index, double length, double timeStep, bool positive,
           bool allowLaneChanging)
    : timeStep(timeStep), index(index), length(length),
      entrySpace(settings.IDM.MIN_SPACE_FOR_NEXT_VEHICLE), allowLaneChanging(allowLaneChanging),
      positive(positive), bridgeBuffer(settings.Road.BRIDGE_ON_BUFFER) {}

void Lane::computeAccelerations() {
    for (std::size_t i = vehicles.size(); i-- > 0;) {
        Vehicle& vehicle = *vehicles[i];
        const Vehicle* leader = i > 0 ? vehicles[i - 1].get() : nullptr;
        vehicle.tickLaneChangeTimer(timeStep);
        vehicle.leader = leader;
        vehicle.accel = vehicle.constVelocity ? 0.0 : vehicle.acceleration(leader);
        vehicle.gap = leader ? leader->position - leader->length - vehicle.position : 0.0;
    }
}

bool Lane::move() {
    if (finished())
        return true;
    for (auto& vehicle : vehicles)
        vehicle->updateKinematics(timeStep);
    const Vehicle& last = *vehicles.back();
    entrySpace = last.position - last.length;
    if (vehicles.front()->position > length + exitDistance)
        vehicles.erase(vehicles.begin());
    return finished();
}

void Lane::appendVehicle(std::unique_ptr<Vehicle> vehicle) {
    entrySpace = vehicle->position - vehicle->length;
    if (vehicle->isObstacle())
        ++staticCount;
    vehicles.push_back(std::move(vehicle));
}

void Lane::insertVehicle(std::size_t index, std::unique_ptr<Vehicle> vehicle) {
    vehicles.insert(vehicles.begin() + static_cast<std::ptrdiff_t>(index), std::move(vehicle));
}

void Lane::clear() {
    vehicles.clear();
    staticCount = 0;
}

} // namespace tarlo
