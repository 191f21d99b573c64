#pragma once

namespace tarlo {

class CRoadFeature;
class CVehicleTypes;
class DriverModel;
class RandomGenerator;
class Vehicle;

// A stretch of one direction of the road. The lanes of that direction tell it when one of
// their vehicles crosses its start or its end. Positions are direction positions: `start`
// is where the traffic reaches the stretch first.
class RoadSegment {
public:
    // The stretch between two global positions (measured along the positive direction) of
    // one direction, in either order.
    RoadSegment(int globalFrom, int globalTo, bool dirPositive);
    virtual ~RoadSegment() = default;

    virtual void enter(Vehicle& /*vehicle*/) {}
    virtual void leave(Vehicle& /*vehicle*/) {}

    // Takes the direction positions of the stretch on a road of the given length (until
    // then `start` and `end` are the global positions). The road does this when a run
    // starts, once its length is known.
    virtual void locate(int roadLength);

    int start;
    int end;
    bool dirPositive = true;
    // The road's vehicle types; not owned.
    const CVehicleTypes* vehicleTypes = nullptr;

private:
    int m_GlobalStart;
    int m_GlobalEnd;
};

// A stretch that switches a modification of the driver model on for the drivers that obey
// it while they are inside. It applies to one class of vehicles (`featureVehicleType`,
// 100 to 107) and to the share `adherence` of their drivers, drawn afresh at every entry.
class ControlSegment : public RoadSegment {
public:
    ControlSegment(const CRoadFeature& element, double value);

    // The vehicle filter on the vehicle's class: 101 every truck, 102 cars, 103 to 107 the
    // classes 1 to 5; 100 and any other code every vehicle.
    bool appliesTo(const Vehicle& vehicle) const;

    int featureVehicleType;
    double adherence;
    double value;
    // The run's road-feature generator; not owned.
    RandomGenerator* featureRng = nullptr;

protected:
    // The driver that takes this entry, or null: the vehicle has no driver, the filter does
    // not pass it, or the draw exceeds the adherence. Only a filtered-in vehicle draws.
    DriverModel* obeyingDriver(const Vehicle& vehicle) const;
};

} // namespace tarlo
