#pragma once

#include "engine/Vehicle.h"

#include <vector>

namespace tarlo {

class CVehicleTypes;

// The lane number of a vehicle within its direction, counted from 1 at the inside lane:
// road lanes of the negative direction are numbered from the other side of the road.
inline int directionLaneNumber(const Vehicle& vehicle) {
    return vehicle.dirPositive ? vehicle.lane : vehicle.roadLanes + 1 - vehicle.lane;
}

// What the statistics take from a vehicle: its lane within its direction, its class and its
// speed (m/s). Detectors that gather many vehicles keep these instead of vehicle copies.
struct VehicleSample {
    int lane;
    int vehicleClass;
    double speed;
};

inline VehicleSample sampleOf(const Vehicle& vehicle) {
    return {directionLaneNumber(vehicle), vehicle.vehicleClass, vehicle.speed};
}

// Per-lane traffic statistics of a set of vehicles gathered over one interval. Speeds go
// in as m/s; flows come out in veh/h, speeds in km/h, densities in veh/km. A lane without
// vehicles reports 0 throughout and still counts in the divisor of the averaged totals.
// Each result is written into a caller's list, resized to one value per lane.
class LaneStatistics {
public:
    LaneStatistics() = default;
    // vehicleTypes may be null; composition then reports nothing.
    LaneStatistics(int lanes, double interval, const CVehicleTypes* vehicleTypes = nullptr);

    // Forgets everything gathered.
    void reset();
    // Gathers one more vehicle; one outside the lanes is ignored.
    void add(const Vehicle& vehicle) { add(sampleOf(vehicle)); }
    void add(const VehicleSample& sample);
    // Resets, then gathers every vehicle of the list.
    void collect(const std::vector<Vehicle>& vehicles);
    void collect(const std::vector<VehicleSample>& samples);

    // Vehicles per hour; the total is the sum over the lanes.
    void flows(std::vector<double>& out, double& total);
    // Harmonic mean speeds; the total is the mean over all lanes.
    void spaceMeanSpeeds(std::vector<double>& out, double& total);
    // Flow / space mean speed; the total is the sum over the lanes.
    void densities(std::vector<double>& out, double& total);
    // Arithmetic mean speeds; the total is the mean over all lanes.
    void timeMeanSpeeds(std::vector<double>& out, double& total) const;
    // Vehicles per vehicle type, in the order of the classification's types; untouched
    // without a classification.
    void composition(std::vector<int>& out) const;

    int lanes() const { return m_Lanes; }
    double interval() const { return m_Interval; }
    int count(int lane) const { return m_vCounts[lane - 1]; }

private:
    double m_Interval = 0.0;
    int m_Lanes = 0;
    const CVehicleTypes* m_pVehicleTypes = nullptr;
    // The class of every gathered vehicle, which is all composition needs of it.
    std::vector<int> m_vClasses;
    std::vector<std::vector<double>> m_vSpeeds;
    std::vector<double> m_vSpaceMeanSpeeds;
    std::vector<double> m_vFlows;
    std::vector<int> m_vCounts;
    bool m_bSpaceMeanSpeedsDone = false;
    bool m_bFlowsDone = false;
};

} // namespace tarlo
