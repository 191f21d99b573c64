#include "engine/features/DriverFeatures.h"

#include "engine/DriverModel.h"
#include "engine/Vehicle.h"
#include "project/CRoadFeature.h"

namespace tarlo {

Gradient::Gradient(const CRoadFeature& element) : ControlSegment(element, element.getValue()) {}

void Gradient::enter(Vehicle& vehicle) {
    DriverModel* driver = obeyingDriver(vehicle);
    if (driver && !driver->gradientActive)
        driver->gradientOn(value);
}

void Gradient::leave(Vehicle& vehicle) {
    if (vehicle.driver)
        vehicle.driver->gradientOff();
}

Politeness::Politeness(const CRoadFeature& element) : ControlSegment(element, element.getValue()) {}

void Politeness::enter(Vehicle& vehicle) {
    DriverModel* driver = obeyingDriver(vehicle);
    if (driver && !driver->politenessActive)
        driver->politenessOn(value);
}

void Politeness::leave(Vehicle& vehicle) {
    if (vehicle.driver)
        vehicle.driver->politenessOff();
}

Bias::Bias(const CRoadFeature& element) : ControlSegment(element, element.getValue()) {}

void Bias::enter(Vehicle& vehicle) {
    DriverModel* driver = obeyingDriver(vehicle);
    if (driver && !driver->biasActive)
        driver->biasOn(value);
}

void Bias::leave(Vehicle& vehicle) {
    if (vehicle.driver)
        vehicle.driver->biasOff();
}

LaneChangeBan::LaneChangeBan(const CRoadFeature& element)
    : ControlSegment(element, element.getValue()) {}

void LaneChangeBan::enter(Vehicle& vehicle) {
    if (DriverModel* driver = obeyingDriver(vehicle))
        driver->laneChangeBanOn();
}

void LaneChangeBan::leave(Vehicle& vehicle) {
    if (vehicle.driver)
        vehicle.driver->laneChangeBanOff();
}

Gap::Gap(const CRoadFeature& element) : ControlSegment(element, element.getValue()) {}

void Gap::enter(Vehicle& vehicle) {
    DriverModel* driver = obeyingDriver(vehicle);
    if (driver && !driver->gapControlActive)
        driver->gapControlOn(value);
}

void Gap::leave(Vehicle& vehicle) {
    if (vehicle.driver)
        vehicle.driver->gapControlOff();
}

} // namespace tarlo
