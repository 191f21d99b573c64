#include "engine/IDM.h"
#include "engine/Vehicle.h"
#include "engine/features/DriverFeatures.h"
#include "engine/features/Obstacle.h"
#include "engine/features/SegmentFactory.h"
#include "engine/features/SpeedLimit.h"
#include "project/CRoadFeature.h"
#include "project/settings/CSettings.h"
#include "vehicles/CContinuousDist.h"
#include "vehicles/CDiscreteDist.h"
#include "vehicles/CIDMParameterSet.h"
#include "vehicles/CVehicleType.h"
#include "vehicles/CVehicleTypes.h"
#include "vehicles/RandomGenerator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <stdexcept>

namespace tarlo {
namespace {

constexpr double kmh = 0.27777778;

CRoadFeature feature(int type, double value, int start = 100, int end = 300, int filter = 100,
                     double adherence = 1.0, bool positive = true) {
    CRoadFeature element;
    element.setType(type);
    element.setValue(value);
    element.setStart(start);
    element.setEnd(end);
    element.setFeatVehType(filter);
    element.setAdherence(adherence);
    element.setDirPos(positive);
    return element;
}

// A driver with plausible drawn parameters and the given desired speed.
std::shared_ptr<IDM> driverWith(const CSettings& settings, double v0Kmh) {
    auto idm = std::make_shared<IDM>(settings);
    idm->T = 1.2;
    idm->a = 1.0;
    idm->b = 2.0;
    idm->s0 = 1.0;
    idm->s1 = 10.0;
    idm->delta = 4.0;
    idm->politeness = 0.2;
    idm->bias = 0.1;
    idm->threshold = 0.3;
    idm->sqrtAB2 = 2.0 * std::sqrt(idm->a * idm->b);
    idm->v0 = v0Kmh * kmh;
    idm->v0Drawn = idm->v0;
    return idm;
}

class RoadFeatureSegmentTest : public ::testing::Test {
protected:
    std::unique_ptr<ControlSegment> make(const CRoadFeature& element) {
        std::unique_ptr<RoadSegment> segment =
            makeRoadSegment(element, settings, &types, generator);
        auto* control = dynamic_cast<ControlSegment*>(segment.release());
        return std::unique_ptr<ControlSegment>(control);
    }

    Vehicle vehicleOfClass(int vehicleClass, double v0Kmh = 120.0) {
        Vehicle vehicle(settings);
        vehicle.vehicleClass = vehicleClass;
        vehicle.driver = driverWith(settings, v0Kmh);
        return vehicle;
    }

    static IDM& idm(const Vehicle& vehicle) { return static_cast<IDM&>(*vehicle.driver); }

    // The desired-speed parameter of the first type of a class.
    CParameter& desiredSpeedOf(int vehicleClass) {
        for (int i = 0; i < types.getNoTypes(); ++i) {
            CVehicleType* type = types.getType(static_cast<std::size_t>(i));
            if (type->getClass() == vehicleClass)
                return *type->getIDMParams()->getParameter(CParameter::V0);
        }
        throw std::logic_error("no type of the class");
    }

    void setNormalDesiredSpeed(int vehicleClass, double meanKmh) {
        CParameter& v0 = desiredSpeedOf(vehicleClass);
        v0.setForm(CContinuousDist::Normal);
        std::dynamic_pointer_cast<CContinuousDist>(v0.getDistribution())->setLocation(meanKmh);
    }

    CSettings settings;
    CVehicleTypes types;
    RandomGenerator generator{42};
};

TEST_F(RoadFeatureSegmentTest, VehicleFilterTable) {
    // Rows: filter code; columns: vehicle classes 0 (car) to 5 (user-defined).
    struct Row {
        int filter;
        bool applies[6];
    };
    const Row rows[] = {
        {100, {true, true, true, true, true, true}},
        {101, {false, true, true, true, true, true}},
        {102, {true, false, false, false, false, false}},
        {103, {false, true, false, false, false, false}},
        {104, {false, false, true, false, false, false}},
        {105, {false, false, false, true, false, false}},
        {106, {false, false, false, false, true, false}},
        {107, {false, false, false, false, false, true}},
        {99, {true, true, true, true, true, true}},
        {108, {true, true, true, true, true, true}},
    };
    for (const Row& row : rows) {
        auto segment = make(feature(CRoadFeature::Politeness, 0.5, 100, 300, row.filter));
        for (int vehicleClass = 0; vehicleClass < 6; ++vehicleClass) {
            Vehicle vehicle = vehicleOfClass(vehicleClass);
            EXPECT_EQ(segment->appliesTo(vehicle), row.applies[vehicleClass])
                << "filter " << row.filter << " class " << vehicleClass;
            segment->enter(vehicle);
            EXPECT_EQ(idm(vehicle).politenessActive, row.applies[vehicleClass])
                << "filter " << row.filter << " class " << vehicleClass;
        }
    }
}

TEST_F(RoadFeatureSegmentTest, OnlyFilteredInDriversDrawFromTheFeatureGenerator) {
    auto carsOnly = make(feature(CRoadFeature::Bias, 0.5, 100, 300, CRoadFeature::Cars, 0.5));
    RandomGenerator untouched{42};

    Vehicle truck = vehicleOfClass(CVehicleType::LargeTruck);
    carsOnly->enter(truck);
    Vehicle withoutDriver(settings);
    carsOnly->enter(withoutDriver);
    EXPECT_EQ(RandomGenerator(generator).next(), RandomGenerator(untouched).next())
        << "a truck and a vehicle without driver draw nothing";

    Vehicle car = vehicleOfClass(CVehicleType::Car);
    carsOnly->enter(car);
    untouched.next();
    EXPECT_EQ(generator.next(), untouched.next()) << "a car draws exactly once";
}

TEST_F(RoadFeatureSegmentTest, AdherenceIsTheShareOfDriversThatObey) {
    struct Case {
        double adherence;
        int atLeast, atMost;
    };
    const Case cases[] = {{0.0, 0, 0}, {0.5, 900, 1100}, {1.0, 2000, 2000}};
    for (const Case& c : cases) {
        auto ban = make(feature(CRoadFeature::LaneChangeBan, 1.0, 100, 300, 100, c.adherence));
        int obeyed = 0;
        for (int i = 0; i < 2000; ++i) {
            Vehicle vehicle = vehicleOfClass(CVehicleType::Car);
            ban->enter(vehicle);
            obeyed += vehicle.driver->laneChangeBanActive ? 1 : 0;
        }
        EXPECT_GE(obeyed, c.atLeast) << "adherence " << c.adherence;
        EXPECT_LE(obeyed, c.atMost) << "adherence " << c.adherence;
    }
}

TEST_F(RoadFeatureSegmentTest, SpeedLimitScalesByTheDriversShareOfItsTypesMeanSpeed) {
    setNormalDesiredSpeed(CVehicleType::Car, 120.0);
    setNormalDesiredSpeed(CVehicleType::LargeTruck, 90.0);
    auto limit = make(feature(CRoadFeature::SpeedLimit, 80.0));

    struct Case {
        int vehicleClass;
        double drawnKmh;
        double expectedKmh;
    };
    const Case cases[] = {
        {CVehicleType::Car, 132.0, 88.0}, // 10 % above its type's mean
        {CVehicleType::Car, 100.0, 80.0 * 100.0 / 120.0},
        {CVehicleType::Car, 70.0, 70.0},        // slower than the limit: unchanged
        {CVehicleType::LargeTruck, 99.0, 88.0}, // scaled by its own type's mean
    };
    for (const Case& c : cases) {
        Vehicle vehicle = vehicleOfClass(c.vehicleClass, c.drawnKmh);
        limit->enter(vehicle);
        EXPECT_TRUE(vehicle.driver->speedLimitActive);
        EXPECT_NEAR(vehicle.driver->getDesiredSpeed(), c.expectedKmh * kmh, 1e-6)
            << "class " << c.vehicleClass << " drawn " << c.drawnKmh;
        limit->leave(vehicle);
        EXPECT_FALSE(vehicle.driver->speedLimitActive);
        EXPECT_DOUBLE_EQ(vehicle.driver->getDesiredSpeed(), c.drawnKmh * kmh);
    }
    Vehicle driver = vehicleOfClass(CVehicleType::Car, 132.0);
    limit->enter(driver);
    EXPECT_NEAR(driver.driver->getDesiredSpeed(), 24.444445, 1e-6);
}

TEST_F(RoadFeatureSegmentTest, SpeedLimitWithDiscreteDesiredSpeedsIsTheLimitItself) {
    CDiscreteDist speeds(1, "speeds");
    speeds.setData({100.0, 140.0});
    speeds.setPMF({0.5, 0.5});
    desiredSpeedOf(CVehicleType::Car).setDiscrete(speeds);
    auto limit = make(feature(CRoadFeature::SpeedLimit, 80.0));

    Vehicle fast = vehicleOfClass(CVehicleType::Car, 132.0);
    limit->enter(fast);
    EXPECT_NEAR(fast.driver->getDesiredSpeed(), 80.0 * kmh, 1e-9);
    Vehicle slow = vehicleOfClass(CVehicleType::Car, 70.0);
    limit->enter(slow);
    EXPECT_NEAR(slow.driver->getDesiredSpeed(), 70.0 * kmh, 1e-9);
}

TEST_F(RoadFeatureSegmentTest, SpeedLimitAlreadyInForceStays) {
    auto limit80 = make(feature(CRoadFeature::SpeedLimit, 80.0));
    auto limit60 = make(feature(CRoadFeature::SpeedLimit, 60.0));
    limit80->vehicleTypes = nullptr; // nothing to scale by: the limit itself
    limit60->vehicleTypes = nullptr;
    Vehicle vehicle = vehicleOfClass(CVehicleType::Car, 120.0);
    limit80->enter(vehicle);
    limit60->enter(vehicle);
    EXPECT_NEAR(vehicle.driver->getDesiredSpeed(), 80.0 * kmh, 1e-9);
    limit80->leave(vehicle);
    EXPECT_NEAR(vehicle.driver->getDesiredSpeed(), 120.0 * kmh, 1e-9);
}

TEST_F(RoadFeatureSegmentTest, EachFeatureSwitchesItsModificationOnAndOff) {
    const double tSlope = settings.Road.RoadFeatures.Gradient.IDM_Modifiers.T_SLOPE;
    struct Case {
        int type;
        double value;
        bool (*active)(const IDM&);
        double (*parameter)(const IDM&);
        double drawn, inside;
    };
    const Case cases[] = {
        {CRoadFeature::Gradient, 5.0, [](const IDM& d) { return d.gradientActive; },
         [](const IDM& d) { return d.T; }, 1.2, 1.2 + 5.0 / tSlope},
        {CRoadFeature::Politeness, 0.7, [](const IDM& d) { return d.politenessActive; },
         [](const IDM& d) { return d.politeness; }, 0.2, 0.7},
        {CRoadFeature::Bias, -0.4, [](const IDM& d) { return d.biasActive; },
         [](const IDM& d) { return d.bias; }, 0.1, -0.4},
        {CRoadFeature::LaneChangeBan, 1.0, [](const IDM& d) { return d.laneChangeBanActive; },
         [](const IDM&) { return 0.0; }, 0.0, 0.0},
        {CRoadFeature::GapControl, 50.0, [](const IDM& d) { return d.gapControlActive; },
         [](const IDM& d) { return d.gapTarget; }, 0.0, 50.0},
    };
    for (const Case& c : cases) {
        auto segment = make(feature(c.type, c.value));
        Vehicle vehicle = vehicleOfClass(CVehicleType::SmallTruck);
        segment->enter(vehicle);
        EXPECT_TRUE(c.active(idm(vehicle))) << "type " << c.type;
        EXPECT_DOUBLE_EQ(c.parameter(idm(vehicle)), c.inside) << "type " << c.type;
        // Entering again while inside changes nothing.
        segment->enter(vehicle);
        EXPECT_DOUBLE_EQ(c.parameter(idm(vehicle)), c.inside) << "type " << c.type;
        segment->leave(vehicle);
        EXPECT_FALSE(c.active(idm(vehicle))) << "type " << c.type;
        if (c.type != CRoadFeature::GapControl) { // the target stays, unused
            EXPECT_DOUBLE_EQ(c.parameter(idm(vehicle)), c.drawn) << "type " << c.type;
        }
    }
}

TEST_F(RoadFeatureSegmentTest, GradientEnteredTwiceStillRestoresTheDrawnDriver) {
    auto gradient = make(feature(CRoadFeature::Gradient, 6.0));
    Vehicle vehicle = vehicleOfClass(CVehicleType::Car, 120.0);
    const IDM before = idm(vehicle);
    gradient->enter(vehicle);
    const IDM inside = idm(vehicle);
    gradient->enter(vehicle);
    EXPECT_DOUBLE_EQ(idm(vehicle).T, inside.T);
    EXPECT_DOUBLE_EQ(idm(vehicle).v0, inside.v0);
    gradient->leave(vehicle);
    EXPECT_DOUBLE_EQ(idm(vehicle).T, before.T);
    EXPECT_DOUBLE_EQ(idm(vehicle).a, before.a);
    EXPECT_DOUBLE_EQ(idm(vehicle).b, before.b);
    EXPECT_DOUBLE_EQ(idm(vehicle).v0, before.v0);
}

TEST_F(RoadFeatureSegmentTest, FactoryBuildsTheSegmentOfEachType) {
    for (int type = 399; type <= 407; ++type) {
        std::unique_ptr<RoadSegment> segment =
            makeRoadSegment(feature(type, 1.0), settings, &types, generator);
        const bool known = type >= 400 && type <= 406;
        EXPECT_EQ(segment != nullptr, known) << "type " << type;
        if (!segment)
            continue;
        const RoadSegment* s = segment.get();
        const bool right[] = {dynamic_cast<const SpeedLimit*>(s) != nullptr,
                              dynamic_cast<const Gradient*>(s) != nullptr,
                              dynamic_cast<const Obstacle*>(s) != nullptr,
                              dynamic_cast<const Politeness*>(s) != nullptr,
                              dynamic_cast<const Bias*>(s) != nullptr,
                              dynamic_cast<const LaneChangeBan*>(s) != nullptr,
                              dynamic_cast<const Gap*>(s) != nullptr};
        EXPECT_TRUE(right[type - 400]) << "type " << type;
        EXPECT_EQ(s->vehicleTypes, &types);
    }
    auto limit = make(feature(CRoadFeature::SpeedLimit, 90.0));
    EXPECT_DOUBLE_EQ(limit->value, 90.0 * kmh) << "km/h become m/s";
}

TEST_F(RoadFeatureSegmentTest, StretchesAreMeasuredAlongTheirDirection) {
    struct Case {
        bool positive;
        int from, to;
        int start, end;
    };
    const Case cases[] = {
        {true, 100, 300, 100, 300},
        {false, 100, 300, 700, 900},
        {false, 300, 100, 700, 900}, // given end first: the same stretch
        {false, 0, 1000, 0, 1000},
    };
    for (const Case& c : cases) {
        auto segment =
            make(feature(CRoadFeature::GapControl, 20.0, c.from, c.to, 100, 1.0, c.positive));
        segment->locate(1000);
        EXPECT_EQ(segment->start, c.start) << c.positive << " " << c.from << "-" << c.to;
        EXPECT_EQ(segment->end, c.end) << c.positive << " " << c.from << "-" << c.to;
    }
}

TEST_F(RoadFeatureSegmentTest, ObstacleIsAStandingVehicleAtTheEndOfItsStretch) {
    CRoadFeature element = feature(CRoadFeature::Obstacle, 2.9, 100, 300, 103, 0.3, false);
    Obstacle obstacle(element, settings);
    obstacle.locate(1000);
    EXPECT_TRUE(obstacle.isObstacle());
    EXPECT_EQ(obstacle.lane, 2) << "the whole part of the value";
    EXPECT_FALSE(obstacle.Vehicle::dirPositive);
    EXPECT_EQ(obstacle.direction, 2);
    EXPECT_DOUBLE_EQ(obstacle.position, 900.0);
    EXPECT_DOUBLE_EQ(obstacle.length, 200.0);
    EXPECT_DOUBLE_EQ(obstacle.globalPosition(), 100.0);
    EXPECT_DOUBLE_EQ(obstacle.speed, 0.0);
    EXPECT_EQ(obstacle.noAxles, 0u);
    EXPECT_TRUE(obstacle.axles.empty());
    EXPECT_EQ(obstacle.featureVehicleType, 100);
    EXPECT_DOUBLE_EQ(obstacle.adherence, 1.0);
    ASSERT_TRUE(obstacle.driver);
    Vehicle leader(settings);
    leader.position = 950.0;
    EXPECT_DOUBLE_EQ(obstacle.acceleration(&leader), 0.0);
    EXPECT_DOUBLE_EQ(obstacle.acceleration(nullptr), 0.0);

    for (double value : {std::nan(""), 1e300, -1e300}) {
        Obstacle odd(feature(CRoadFeature::Obstacle, value), settings);
        EXPECT_EQ(odd.lane, 0) << value;
    }
}

} // namespace
} // namespace tarlo
