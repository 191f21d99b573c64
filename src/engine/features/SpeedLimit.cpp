#include "engine/features/SpeedLimit.h"

#include "engine/DriverModel.h"
#include "engine/Vehicle.h"
#include "project/CRoadFeature.h"
#include "vehicles/CDistribution.h"
#include "vehicles/CIDMParameterSet.h"
#include "vehicles/CVehicleType.h"
#include "vehicles/CVehicleTypes.h"

#include <cmath>

namespace tarlo {

namespace {

constexpr double kmhToMs = 0.27777778;

// The desired-speed distribution of the first type of the vehicle's class, or of the last
// type scanned when no type has that class; null without types.
const CDistribution* desiredSpeedDistribution(const CVehicleTypes* types, int vehicleClass) {
    if (!types)
        return nullptr;
    const CVehicleType* chosen = nullptr;
    for (int i = 0; i < types->getNoTypes(); ++i) {
        const CVehicleType* type = types->getType(static_cast<std::size_t>(i));
        if (!type)
            break;
        chosen = type;
        if (type->getClass() == vehicleClass)
            break;
    }
    if (!chosen || !chosen->getIDMParams())
        return nullptr;
    const CParameter* v0 = chosen->getIDMParams()->getParameter(CParameter::V0);
    return v0 ? v0->getDistribution().get() : nullptr;
}

} // namespace

SpeedLimit::SpeedLimit(const CRoadFeature& element)
    : ControlSegment(element, element.getValue() * kmhToMs) {}

void SpeedLimit::enter(Vehicle& vehicle) {
    DriverModel* driver = obeyingDriver(vehicle);
    // A limit already in force stays as it is.
    if (!driver || driver->speedLimitActive)
        return;
    // Deliberately: the limit is scaled from the drawn desired speed, not from the one in
    // force, so that a driver's limit does not depend on whether a gradient was entered
    // first. Outside other stretches the two are the same.
    driver->speedLimitOn(limitFor(vehicle, driver->getDrawnDesiredSpeed()));
}

void SpeedLimit::leave(Vehicle& vehicle) {
    if (vehicle.driver)
        vehicle.driver->speedLimitOff();
}

double SpeedLimit::limitFor(const Vehicle& vehicle, double w) const {
    if (w <= value)
        return w;
    double factor = 1.0;
    const CDistribution* distribution =
        desiredSpeedDistribution(vehicleTypes, vehicle.vehicleClass);
    if (distribution && !distribution->isType(CDistribution::Discrete)) {
        // A type without a positive mean speed has nothing to scale by.
        const double mean = distribution->getMean() * kmhToMs;
        if (mean > 0.0 && std::isfinite(mean))
            factor = w / mean;
    }
    return value * factor;
}

} // namespace tarlo
