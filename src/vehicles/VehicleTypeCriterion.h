#pragma once

#include <boost/serialization/access.hpp>
#include <boost/serialization/version.hpp>

#include <string>
#include <string_view>

namespace tarlo {

class Vehicle;

// One inclusive range test on a quantity of a vehicle.
class VehicleTypeCriterion {
public:
    enum Quantity : unsigned {
        NoAxles = 1,
        GVW = 2,
        Length = 3,
        MaxAxleSpacing = 4,
        MinAxleSpacing = 5,
        AveAxleSpacing = 6
    };

    VehicleTypeCriterion() = default;
    virtual ~VehicleTypeCriterion() = default;

    // Passes when low ≤ x ≤ high for the quantity x of the vehicle; NaN and an unknown
    // quantity fail.
    bool test(const Vehicle& vehicle) const;

    // Chooses the quantity tested, with its name.
    void setID(unsigned id);
    unsigned getID() const { return m_ID; }
    const std::string& getName() const { return m_Name; }
    double getLow() const { return m_Low; }
    double getHigh() const { return m_High; }
    void setLimits(double low, double high);

    // The quantity's name, "No. Axles" … "Ave Axle Spacing"; empty for an unknown ID.
    static std::string_view name(unsigned id);
    // The row label of the vehicle types dialog, e.g. "GVW (t)".
    static std::string_view rowLabel(unsigned id);
    // The quantity as the test sees it.
    static double quantity(unsigned id, const Vehicle& vehicle);

    template <class Archive> void serialize(Archive& ar, unsigned version);

private:
    double m_Low = 0.0;
    double m_High = 0.0;
    unsigned m_ID = 0;
    std::string m_Name;
};

} // namespace tarlo

BOOST_CLASS_VERSION(tarlo::VehicleTypeCriterion, 0)
