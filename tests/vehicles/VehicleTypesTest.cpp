#include "engine/Vehicle.h"
#include "project/settings/CSettings.h"
#include "vehicles/CVehicleType.h"
#include "vehicles/CVehicleTypes.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <string_view>
#include <vector>

namespace tarlo {
namespace {

using Q = VehicleTypeCriterion;

Vehicle makeVehicle(double tonnes, double length, std::vector<double> spacings) {
    static const CSettings settings;
    Vehicle v(settings);
    v.noAxles = static_cast<unsigned>(spacings.size() + 1);
    v.axles.assign(v.noAxles, Axle{});
    for (std::size_t i = 0; i < spacings.size(); ++i)
        v.axles[i].spacing = spacings[i];
    v.gvw = tonnes * 9.81;
    v.length = length;
    return v;
}

Vehicle makeVehicleWithAxles(unsigned noAxles, double tonnes) {
    static const CSettings settings;
    Vehicle v(settings);
    v.noAxles = noAxles;
    v.axles.assign(noAxles, Axle{});
    v.gvw = tonnes * 9.81;
    v.length = 4;
    return v;
}

struct TypeDefaults {
    int vehicleClass;
    std::string_view name;
    std::string_view stem;
    std::string_view label;
    std::uint32_t color;
    std::array<std::array<double, 2>, 6> limits;
};

TEST(VehicleTypes, SixDefaultTypes) {
    const TypeDefaults expected[] = {
        {0,
         "Car",
         "Car",
         "1 - Cars",
         0x000000,
         {{{0, 2}, {0, 35}, {0, 50}, {0, 50}, {0, 50}, {0, 50}}}},
        {1,
         "Small Truck",
         "ST",
         "2 - Small Truck",
         0xFF0000,
         {{{0, 3}, {0, 200}, {0, 50}, {0, 50}, {0, 50}, {0, 50}}}},
        {2,
         "Large Truck",
         "LT",
         "3 - Large Truck",
         0x0000FF,
         {{{2, 50}, {0, 200}, {0, 50}, {0, 50}, {0, 50}, {0, 50}}}},
        {3,
         "Crane",
         "Crane",
         "4 - Crane",
         0x00FF00,
         {{{2, 50}, {0, 200}, {0, 50}, {0, 4.5}, {0, 50}, {0, 2.5}}}},
        {4,
         "Low-loader",
         "LL",
         "5 - Low-loader",
         0x646464,
         {{{2, 50}, {0, 200}, {0, 50}, {7.5, 50}, {0, 50}, {0, 50}}}},
        {5,
         "User-defined",
         "UDV",
         "6 - User-defined",
         0xE22B8A,
         {{{0, 1}, {0, 200}, {0, 50}, {0, 50}, {0, 50}, {0, 50}}}},
    };
    const std::string_view criterionNames[] = {
        "No. Axles", "GVW", "Length", "Max Axle Spacing", "Min Axle Spacing", "Ave Axle Spacing"};
    const CVehicleTypes types;
    ASSERT_EQ(types.size(), 6u);
    EXPECT_EQ(types.getNoTypes(), 6);
    for (const TypeDefaults& d : expected) {
        const CVehicleType* t = types.getType(d.vehicleClass);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->getClass(), d.vehicleClass);
        EXPECT_EQ(t->getName(), d.name);
        EXPECT_EQ(t->getFileStem(), d.stem);
        EXPECT_EQ(CVehicleType::classLabel(d.vehicleClass), d.label);
        EXPECT_EQ(t->getColor(), d.color) << d.name;
        EXPECT_EQ(t->getImportance(), 0);
        ASSERT_NE(t->getIDMParams(), nullptr);
        EXPECT_EQ(t->getIDMParams()->getVehClass(), d.vehicleClass);
        for (unsigned id = 1; id <= 6; ++id) {
            const VehicleTypeCriterion* c = t->getCriterion(id);
            ASSERT_NE(c, nullptr);
            EXPECT_EQ(c->getID(), id);
            EXPECT_EQ(c->getName(), criterionNames[id - 1]);
            EXPECT_EQ(c->getLow(), d.limits[id - 1][0]) << d.name << " " << id;
            EXPECT_EQ(c->getHigh(), d.limits[id - 1][1]) << d.name << " " << id;
        }
    }
    EXPECT_EQ(types.getType(6), nullptr);
}

TEST(VehicleType, FreshTypeIsEmptyAndDefaultsOnlyForTheSixClasses) {
    CVehicleType type;
    EXPECT_EQ(type.getName(), "");
    EXPECT_EQ(type.getIDMParams(), nullptr);
    EXPECT_EQ(type.getCriterion(Q::GVW)->getID(), 0u);
    EXPECT_EQ(type.getCriterion(7), nullptr);
    EXPECT_FALSE(type.setDefaults(6));
    EXPECT_FALSE(type.setDefaults(-1));
    EXPECT_EQ(type.getName(), "");
    EXPECT_TRUE(type.setDefaults(4));
    EXPECT_EQ(type.getName(), "Low-loader");
    EXPECT_EQ(CVehicleType::importanceLabel(0), "1 - Normal");
    EXPECT_EQ(CVehicleType::importanceLabel(2), "3 - Priority");
    EXPECT_EQ(Q::rowLabel(Q::GVW), "GVW (t)");
    EXPECT_EQ(Q::rowLabel(Q::MaxAxleSpacing), "Max Axle Spacing (m)");
}

struct CriterionCase {
    const char* what;
    unsigned id;
    Vehicle vehicle;
    double expected; // NaN when the quantity is undefined
};

TEST(VehicleTypeCriterion, QuantitiesOfAVehicle) {
    const CriterionCase cases[] = {
        {"axles", Q::NoAxles, makeVehicle(20, 4.5, {2.8, 1.2}), 3},
        {"tonnes", Q::GVW, makeVehicleWithAxles(2, 0), 0},
        {"length", Q::Length, makeVehicle(20, 4.5, {2.8}), 4.5},
        {"max", Q::MaxAxleSpacing, makeVehicle(20, 9, {2.8, 5.1, 1.3}), 5.1},
        {"min", Q::MinAxleSpacing, makeVehicle(20, 9, {2.8, 5.1, 1.3}), 1.3},
        {"mean", Q::AveAxleSpacing, makeVehicle(20, 9, {2.8, 5.1, 1.3}), 9.2 / 3},
        {"max one axle", Q::MaxAxleSpacing, makeVehicleWithAxles(1, 5), 0},
        {"min one axle", Q::MinAxleSpacing, makeVehicleWithAxles(1, 5), 1e10},
        {"mean one axle", Q::AveAxleSpacing, makeVehicleWithAxles(1, 5), NAN},
        {"mean no axles", Q::AveAxleSpacing, makeVehicleWithAxles(0, 5), 0},
        {"unknown", 9, makeVehicleWithAxles(2, 5), NAN},
    };
    for (const CriterionCase& c : cases) {
        const double x = Q::quantity(c.id, c.vehicle);
        if (std::isnan(c.expected))
            EXPECT_TRUE(std::isnan(x)) << c.what;
        else
            EXPECT_DOUBLE_EQ(x, c.expected) << c.what;
    }
    Vehicle heavy = makeVehicleWithAxles(2, 0);
    heavy.gvw = 392.4;
    EXPECT_DOUBLE_EQ(Q::quantity(Q::GVW, heavy), 392.4 / 0.981 / 10);
}

TEST(VehicleTypeCriterion, InclusiveLimitsAndNaNFails) {
    VehicleTypeCriterion c;
    c.setID(Q::Length);
    c.setLimits(4.5, 10);
    EXPECT_TRUE(c.test(makeVehicle(20, 4.5, {2.8})));
    EXPECT_TRUE(c.test(makeVehicle(20, 10, {2.8})));
    EXPECT_FALSE(c.test(makeVehicle(20, 10.001, {2.8})));

    VehicleTypeCriterion mean;
    mean.setID(Q::AveAxleSpacing);
    mean.setLimits(-100, 100);
    EXPECT_FALSE(mean.test(makeVehicleWithAxles(1, 5)));
    EXPECT_TRUE(mean.test(makeVehicleWithAxles(0, 5)));
    mean.setLimits(0.1, 100);
    EXPECT_FALSE(mean.test(makeVehicleWithAxles(0, 5)));

    VehicleTypeCriterion unknown;
    unknown.setLimits(-1e300, 1e300);
    EXPECT_FALSE(unknown.test(makeVehicleWithAxles(2, 5)));
}

struct ClassifyCase {
    const char* what;
    Vehicle vehicle;
    int expectedClass;
};

TEST(VehicleTypes, ClassifiesWithTheDefaults) {
    const ClassifyCase cases[] = {
        {"two-axle 20 t car", makeVehicle(20, 4.5, {2.8}), CVehicleType::Car},
        {"two-axle 40 t", makeVehicle(40, 4.5, {2.8}), CVehicleType::SmallTruck},
        {"three axles", makeVehicle(20, 8, {3.0, 1.3}), CVehicleType::SmallTruck},
        {"five-axle 40 t", makeVehicle(40, 16, {3.2, 1.3, 6.0, 1.3}), CVehicleType::LargeTruck},
        {"single axle falls back", makeVehicleWithAxles(1, 5), CVehicleType::SmallTruck},
        {"60 m two-axle 30 t falls back", makeVehicle(30, 60, {2.8}), CVehicleType::Car},
        {"60 m two-axle 35 t falls back", makeVehicle(35, 60, {2.8}), CVehicleType::SmallTruck},
        {"60 m two-axle 40 t falls back", makeVehicle(40, 60, {2.8}), CVehicleType::SmallTruck},
        {"ten axles with a 60 m spacing", makeVehicle(60, 45, {60, 1, 1, 1, 1, 1, 1, 1, 1}),
         CVehicleType::LargeTruck},
    };
    const CVehicleTypes types;
    for (const ClassifyCase& c : cases) {
        const CVehicleType* t = types.classify(c.vehicle);
        ASSERT_NE(t, nullptr) << c.what;
        EXPECT_EQ(t->getClass(), c.expectedClass) << c.what;
    }
}

TEST(VehicleTypes, NarrowedTypesReachCraneAndUserDefinedTakesPrecedence) {
    CVehicleTypes types;
    types.getType(CVehicleType::LargeTruck)->getCriterion(Q::NoAxles)->setLimits(10, 50);
    const Vehicle crane = makeVehicle(40, 12, {2.0, 4.5, 1.5, 1.8});
    EXPECT_EQ(types.classify(crane)->getClass(), CVehicleType::Crane);
    const Vehicle lowLoader = makeVehicle(40, 18, {3.0, 8.0, 1.3, 1.3});
    EXPECT_EQ(types.classify(lowLoader)->getClass(), CVehicleType::LowLoader);

    const Vehicle car = makeVehicle(20, 4.5, {2.8});
    EXPECT_EQ(types.classify(car)->getClass(), CVehicleType::Car);
    types.getType(CVehicleType::UserDefined)->getCriterion(Q::NoAxles)->setLimits(0, 2);
    EXPECT_EQ(types.classify(car)->getClass(), CVehicleType::UserDefined);
    EXPECT_EQ(types.classify(car), types.getType(CVehicleType::UserDefined));
}

TEST(VehicleTypes, FallbackReadsTheCarWeightAndSmallTruckAxleLimits) {
    CVehicleTypes types;
    const Vehicle longTwoAxle = makeVehicle(30, 60, {2.8});
    types.getType(CVehicleType::Car)->getCriterion(Q::GVW)->setLimits(0, 25);
    EXPECT_EQ(types.classify(longTwoAxle)->getClass(), CVehicleType::SmallTruck);
    types.getType(CVehicleType::SmallTruck)->getCriterion(Q::NoAxles)->setLimits(0, 1);
    EXPECT_EQ(types.classify(longTwoAxle)->getClass(), CVehicleType::LargeTruck);
}

TEST(VehicleTypes, CopiesAreDeep) {
    CVehicleTypes original;
    CVehicleTypes copy(original);
    copy.getType(0)->setName("Auto");
    copy.getType(0)->getCriterion(Q::GVW)->setLimits(0, 3);
    EXPECT_NE(copy.getType(0)->getIDMParams(), original.getType(0)->getIDMParams());
    EXPECT_EQ(original.getType(0)->getName(), "Car");
    EXPECT_EQ(original.getType(0)->getCriterion(Q::GVW)->getHigh(), 35.0);
    original = copy;
    EXPECT_EQ(original.getType(0)->getName(), "Auto");
    EXPECT_NE(original.getType(0), copy.getType(0));
}

} // namespace
} // namespace tarlo
