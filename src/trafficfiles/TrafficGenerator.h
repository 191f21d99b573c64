#pragma once

#include "engine/Vehicle.h"
#include "project/settings/CSettings.h"

#include <cstdint>
#include <limits>
#include <memory>
#include <random>
#include <vector>

namespace tarlo {

class FileHandler;

// Synthetic traffic for tests, demonstrations and benchmarks: Poisson arrivals in every
// lane of both directions, cars and trucks of two to six axles, merged into one stream in
// arrival order. Vehicles are made one lane at a time as they are needed, so a file of
// millions of vehicles is written with a handful of vehicles in memory. The same options
// give the same vehicles on every platform: the random numbers come from std::mt19937 with
// our own transforms, never from the library's distributions.
class TrafficGenerator {
public:
    // Arrivals in one lane are never closer than this, so the lane entrance can take them.
    static constexpr double MIN_HEADWAY = 1.5; // s
    // The flow at which every headway would be the minimum.
    static constexpr double MAX_FLOW = 3600.0 / MIN_HEADWAY; // vehicles per hour per lane

    struct Options {
        unsigned lanesPos = 2;
        unsigned lanesNeg = 1;
        double flowPerLane = 1000.0; // vehicles per hour in each lane, below MAX_FLOW
        double truckShare = 0.15;    // share of trucks among all vehicles, 0 to 1
        std::uint64_t seed = 1;
        double startTime = 0.0;  // s on the working-day calendar
        double endTime = 3600.0; // s; no vehicle arrives at or after it
        std::uint64_t maxVehicles = std::numeric_limits<std::uint64_t>::max();
        unsigned head = 1001; // record head code written on every vehicle
    };

    TrafficGenerator(const CSettings& settings, const Options& options);

    // The next vehicle in arrival order, or none when the end time or the vehicle count
    // has been reached.
    std::unique_ptr<Vehicle> next();
    // Writes every remaining vehicle through the handler; returns how many were written.
    std::uint64_t writeAll(FileHandler& out);

    std::uint64_t vehiclesMade() const { return m_Made; }
    std::uint64_t trucksMade() const { return m_Trucks; }

    // Share of trucks in each lane of a direction with `lanes` lanes (inside lane first)
    // such that the direction carries `truckShare` trucks overall, most in lane 1.
    static std::vector<double> laneTruckShares(unsigned lanes, double truckShare);

private:
    // One lane's arrivals: its own random engine and the next vehicle to arrive.
    struct LaneStream {
        int direction = 1;
        unsigned lane = 1;
        double truckShare = 0.0;
        std::mt19937 engine;
        std::uint64_t arrival = 0; // hundredths of a second
        std::unique_ptr<Vehicle> pending;
        bool pendingIsTruck = false;
    };

    // Draws the lane's next arrival after `previous` (none for the first) and its vehicle.
    void fillLane(LaneStream& stream, const Vehicle* previous);
    std::unique_ptr<Vehicle> newVehicle(const LaneStream& stream) const;
    std::unique_ptr<Vehicle> makeCar(LaneStream& stream) const;
    std::unique_ptr<Vehicle> makeTruck(LaneStream& stream) const;
    std::uint64_t headway(LaneStream& stream, const Vehicle& previous) const;

    CSettings m_Settings;
    Options m_Options;
    std::vector<LaneStream> m_vLanes;
    std::uint64_t m_EndHundredths = 0;
    std::uint64_t m_Made = 0;
    std::uint64_t m_Trucks = 0;
};

} // namespace tarlo
