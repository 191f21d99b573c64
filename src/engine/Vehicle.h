#pragma once

#include "engine/DriverModel.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

namespace tarlo {

class CSettings;
class CVehicleType;

struct Axle {
    double position = 0.0; // behind the first axle, m
    double spacing = 0.0;  // to the next axle, m
    double weight = 0.0;   // kN
};

// One simulated road user: the traffic-file record, the state the engine gives it on the
// road, its classification and its driver.
class alignas(64) Vehicle {
public:
    // Takes the road end buffer, lane-change delay and calendar from the settings.
    explicit Vehicle(const CSettings& settings);
    Vehicle(const Vehicle&) = default;
    Vehicle& operator=(const Vehicle&) = default;
    virtual ~Vehicle() = default;

    // An obstacle stands still for the whole run and never asks its driver anything.
    bool isObstacle() const { return m_bObstacle; }
    // Arrival time stamp in seconds on the working-day calendar.
    virtual double getTime() const;
    // Asks the driver; that tells the driver the current speed, the vehicle is untouched.
    // Inline: every vehicle asks it at least once a step.
    double acceleration(const Vehicle* leader) const {
        if (!driver || m_bObstacle)
            return 0.0;
        if (leader)
            return driver->accelerationAt(speed, speed - leader->speed,
                                          leader->position - leader->length - position);
        // Without a leader the vehicle sees a standing obstacle beyond the far end of the road.
        const double farObstacle =
            static_cast<double>(roadEndBuffer + static_cast<unsigned>(roadLength));
        return driver->accelerationAt(speed, speed, farObstacle - position);
    }
    // As acceleration(leader), remembered while neither vehicle moves: the lane's pass and
    // the lane-change rule ask for the same accelerations again and again within a step.
    // Only a move changes the state the driver sees (road features act on moves), so the
    // remembered value is the one the driver would give.
    double knownAcceleration(const Vehicle* leader) const {
        if (speed == m_KnownSpeed && position == m_KnownPosition) {
            for (std::size_t i = 0; i < m_KnownCount; ++i) {
                const KnownAcceleration& known = m_Known[i];
                if (known.leader == leader &&
                    (!leader || (known.leaderSpeed == leader->speed &&
                                 known.leaderPosition == leader->position &&
                                 known.leaderLength == leader->length)))
                    return known.value;
            }
        } else {
            forgetKnown();
        }
        const double value = acceleration(leader);
        remember(leader, value);
        return value;
    }
    // knownAcceleration(leader) for the first question of a step, which nearly always finds
    // the vehicle moved: works it out without looking, and remembers it alone.
    double firstKnownAcceleration(const Vehicle* leader) const {
        const double value = acceleration(leader);
        forgetKnown();
        remember(leader, value);
        return value;
    }
    // Counts down the delay after a lane change, after which the driver may change again.
    void tickLaneChangeTimer(double dt) {
        if (laneChangeAllowed)
            return;
        laneChangeTimer += dt;
        if (laneChangeTimer >= laneChangeDelay)
            laneChangeAllowed = true;
    }

    // Which neighbouring lane the driver would move to: 0 none, 1 the left, 2 the right.
    int chooseLane(const Vehicle* leader, const Vehicle* follower, const Vehicle* leftLeader,
                   const Vehicle* leftFollower, const Vehicle* rightLeader,
                   const Vehicle* rightFollower, bool leftExists, bool rightExists);

    // Sets the calendar fields of the time stamp from seconds.
    void setTime(double seconds);
    // Semi-implicit Euler step with the current acceleration; never moves backwards.
    void updateKinematics(double dt) {
        speed += accel * dt;
        if (!(speed > 0.0))
            speed = 0.0;
        previousPosition = position;
        position += speed * dt;
    }
    // The position from the start of the positive direction, where bridges and the road
    // view place the vehicle.
    double globalPosition() const {
        return dirPositive ? position : static_cast<double>(roadLength) - position;
    }
    // Clears the position state and the lane-change timer before a record is parsed.
    void resetPositionState();

    // The fields are laid out by use: the first three cache lines hold what every step reads
    // and writes for every vehicle (the driving, the moves, the first remembered
    // acceleration), so that the vehicles of a long road stay in the processor's caches.
    const Vehicle* leader = nullptr;
    std::shared_ptr<DriverModel> driver;
    double position = 0.0;
    double speed = 0.0;
    double accel = 0.0;
    double length = 0.0;

    double previousPosition = 0.0;
    double gap = 0.0;
    double laneChangeTimer = 0.0;
    double laneChangeDelay = 0.0;
    // Where the vehicle's moves may next reach a position a detector of its direction
    // watches; the lane's detector index keeps it (a move that ends short of it reaches none).
    double detectorCheckFrom = -std::numeric_limits<double>::infinity();
    // Likewise where its moves may next reach the edge of a bridge's zone (the lane keeps it).
    double bridgeCheckFrom = -std::numeric_limits<double>::infinity();
    int roadLength = 0;
    unsigned roadEndBuffer = 0;
    // The first of the detector index's stretches that ends at or after the vehicle's last
    // checked move (the index keeps it too; every lane of a direction has the same stretches).
    std::uint32_t detectorReach = 0;

private:
    struct KnownAcceleration {
        const Vehicle* leader;
        double leaderSpeed;
        double leaderPosition;
        double leaderLength;
        double value;
    };
    static constexpr std::size_t KNOWN_ACCELERATIONS = 4;
    // The accelerations worked out at m_KnownSpeed and m_KnownPosition, the oldest replaced
    // first.
    mutable double m_KnownSpeed = std::numeric_limits<double>::quiet_NaN();
    mutable double m_KnownPosition = std::numeric_limits<double>::quiet_NaN();

public:
    bool constVelocity = false;
    bool laneChangeAllowed = false;
    bool dirPositive = true;
    bool driveOnRight = true;

protected:
    // Set by an obstacle for its whole life.
    bool m_bObstacle = false;

private:
    // Forgets every remembered acceleration; the next ones are for the current speed and
    // position.
    void forgetKnown() const {
        m_KnownSpeed = speed;
        m_KnownPosition = position;
        m_KnownCount = 0;
        m_NextKnown = 0;
    }
    // Keeps the acceleration behind the leader, in place of the oldest when all are taken.
    void remember(const Vehicle* leader, double value) const {
        m_Known[m_NextKnown] =
            leader ? KnownAcceleration{leader, leader->speed, leader->position, leader->length,
                                       value}
                   : KnownAcceleration{nullptr, 0.0, 0.0, 0.0, value};
        m_NextKnown = static_cast<std::uint8_t>((m_NextKnown + 1) % KNOWN_ACCELERATIONS);
        if (m_KnownCount < KNOWN_ACCELERATIONS)
            ++m_KnownCount;
    }

    mutable std::uint8_t m_KnownCount = 0;
    mutable std::uint8_t m_NextKnown = 0;
    mutable std::array<KnownAcceleration, KNOWN_ACCELERATIONS> m_Known{};

public:
    int direction = 1;
    int lane = 1;
    int roadLanes = 0;
    unsigned serialNo = 0;
    unsigned head = 0;
    unsigned year = 0;
    unsigned month = 0;
    unsigned day = 0;
    unsigned hour = 0;
    unsigned minute = 0;
    unsigned second = 0;
    unsigned hundredths = 0;
    double gvw = 0.0;
    unsigned auxCode = 0;
    unsigned noAxles = 2;
    std::vector<Axle> axles = std::vector<Axle>(2);
    int vehicleClass = 0;
    unsigned vehicleNo = 0;
    unsigned daysPerMonth = 0;
    unsigned monthsPerYear = 0;
    // Null until the road classifies the vehicle at release.
    const CVehicleType* type = nullptr;
};

// Inline: the lane-change pass asks it of nearly every vehicle in every step.
inline int Vehicle::chooseLane(const Vehicle* leader, const Vehicle* follower,
                               const Vehicle* leftLeader, const Vehicle* leftFollower,
                               const Vehicle* rightLeader, const Vehicle* rightFollower,
                               bool leftExists, bool rightExists) {
    if (!driver)
        return 0;
    // Driving on the right the left lane is the outside one. A side whose incentive is below
    // worthChanging decides nothing (the other side wins, or neither), so the driver may
    // stop working it out as soon as it knows.
    constexpr double worthChanging = 0.0001;
    double left = 0.0, right = 0.0;
    if (leftExists)
        left = driver->laneChangeIncentiveAbove(leader, follower, leftLeader, leftFollower, *this,
                                                driveOnRight, worthChanging);
    if (rightExists)
        right = driver->laneChangeIncentiveAbove(leader, follower, rightLeader, rightFollower,
                                                 *this, !driveOnRight, worthChanging);
    if (left < worthChanging && right < worthChanging)
        return 0;
    return left > right ? 1 : 2;
}

} // namespace tarlo
