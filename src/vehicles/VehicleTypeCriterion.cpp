#include "vehicles/VehicleTypeCriterion.h"

#include "engine/Vehicle.h"
#include "project/WideString.h"

#include <boost/archive/xml_iarchive.hpp>
#include <boost/archive/xml_oarchive.hpp>

#include <algorithm>
#include <array>
#include <limits>

namespace tarlo {

namespace {

struct QuantityNames {
    std::string_view name;
    std::string_view rowLabel;
};

constexpr std::array<QuantityNames, 6> quantityNames = {{
    {"No. Axles", "No. Axles"},
    {"GVW", "GVW (t)"},
    {"Length", "Length (m)"},
    {"Max Axle Spacing", "Max Axle Spacing (m)"},
    {"Min Axle Spacing", "Min Axle Spacing (m)"},
    {"Ave Axle Spacing", "Ave Axle Spacing (m)"},
}};

const QuantityNames* namesOf(unsigned id) {
    if (id < VehicleTypeCriterion::NoAxles || id > VehicleTypeCriterion::AveAxleSpacing)
        return nullptr;
    return &quantityNames[id - VehicleTypeCriterion::NoAxles];
}

// The spacings between the vehicle's axles: those of axles 0 to noAxles − 2.
std::size_t spacingCount(const Vehicle& v) {
    const std::size_t wanted = v.noAxles > 1 ? v.noAxles - 1 : 0;
    return std::min(wanted, v.axles.size());
}

} // namespace

bool VehicleTypeCriterion::test(const Vehicle& vehicle) const {
    const double x = quantity(m_ID, vehicle);
    return m_Low <= x && x <= m_High;
}

void VehicleTypeCriterion::setID(unsigned id) {
    m_ID = id;
    m_Name = std::string(name(id));
}

void VehicleTypeCriterion::setLimits(double low, double high) {
    m_Low = low;
    m_High = high;
}

std::string_view VehicleTypeCriterion::name(unsigned id) {
    const QuantityNames* n = namesOf(id);
    return n ? n->name : std::string_view();
}

std::string_view VehicleTypeCriterion::rowLabel(unsigned id) {
    const QuantityNames* n = namesOf(id);
    return n ? n->rowLabel : std::string_view();
}

// Without two axles there is no spacing: the maximum is 0, the minimum 1e10 (failing any
// smaller upper limit), and the mean 0/0 for one axle or 0/−1 for none.
double VehicleTypeCriterion::quantity(unsigned id, const Vehicle& v) {
    const std::size_t spacings = spacingCount(v);
    switch (id) {
    case NoAxles:
        return static_cast<double>(v.noAxles);
    case GVW:
        return v.gvw / 0.981 / 10.0;
    case Length:
        return v.length;
    case MaxAxleSpacing: {
        double x = 0.0;
        for (std::size_t i = 0; i < spacings; ++i)
            x = std::max(x, v.axles[i].spacing);
        return x;
    }
    case MinAxleSpacing: {
        double x = 1e10;
        for (std::size_t i = 0; i < spacings; ++i)
            x = std::min(x, v.axles[i].spacing);
        return x;
    }
    case AveAxleSpacing: {
        double sum = 0.0;
        for (std::size_t i = 0; i < spacings; ++i)
            sum += v.axles[i].spacing;
        return sum / (static_cast<double>(v.noAxles) - 1.0);
    }
    default:
        return std::numeric_limits<double>::quiet_NaN();
    }
}

template <class Archive>
void VehicleTypeCriterion::serialize(Archive& ar, const unsigned /*version*/) {
    using boost::serialization::make_nvp;
    ar& make_nvp("m_ID", m_ID);
    ar& make_nvp("m_Low", m_Low);
    ar& make_nvp("m_High", m_High);
    serializeText(ar, "m_Name", m_Name);
}

template void VehicleTypeCriterion::serialize(boost::archive::xml_oarchive&, unsigned);
template void VehicleTypeCriterion::serialize(boost::archive::xml_iarchive&, unsigned);

} // namespace tarlo
