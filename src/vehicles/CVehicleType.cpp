#include "vehicles/CVehicleType.h"

#include "project/WideString.h"

#include <boost/archive/xml_iarchive.hpp>
#include <boost/archive/xml_oarchive.hpp>

#include <array>

namespace tarlo {

namespace {

struct Limits {
    double low;
    double high;
};

struct TypeDefaults {
    std::string_view name;
    std::string_view stem;
    std::string_view label;
    std::uint32_t color;
    // No. axles, GVW (t), length, max, min and average axle spacing (m).
    std::array<Limits, 6> limits;
};

constexpr std::array<TypeDefaults, CVehicleType::NoDefaultTypes> typeDefaults = {{
    {"Car", "Car", "1 - Cars", 0x000000, {{{0, 2}, {0, 35}, {0, 50}, {0, 50}, {0, 50}, {0, 50}}}},
    {"Small Truck",
     "ST",
     "2 - Small Truck",
     0xFF0000,
     {{{0, 3}, {0, 200}, {0, 50}, {0, 50}, {0, 50}, {0, 50}}}},
    {"Large Truck",
     "LT",
     "3 - Large Truck",
     0x0000FF,
     {{{2, 50}, {0, 200}, {0, 50}, {0, 50}, {0, 50}, {0, 50}}}},
    {"Crane",
     "Crane",
     "4 - Crane",
     0x00FF00,
     {{{2, 50}, {0, 200}, {0, 50}, {0, 4.5}, {0, 50}, {0, 2.5}}}},
    {"Low-loader",
     "LL",
     "5 - Low-loader",
     0x646464,
     {{{2, 50}, {0, 200}, {0, 50}, {7.5, 50}, {0, 50}, {0, 50}}}},
    {"User-defined",
     "UDV",
     "6 - User-defined",
     0xE22B8A,
     {{{0, 1}, {0, 200}, {0, 50}, {0, 50}, {0, 50}, {0, 50}}}},
}};

} // namespace

CVehicleType::CVehicleType() = default;

CVehicleType::CVehicleType(const CVehicleType& other)
    : m_pIDMParams(other.m_pIDMParams ? std::make_unique<CIDMParameterSet>(*other.m_pIDMParams)
                                      : nullptr),
      m_Class(other.m_Class), m_Color(other.m_Color), m_Importance(other.m_Importance),
      m_Name(other.m_Name), m_FileStem(other.m_FileStem), m_vtcNoAxles(other.m_vtcNoAxles),
      m_vtcGVW(other.m_vtcGVW), m_vtcLength(other.m_vtcLength), m_vtcMaxAS(other.m_vtcMaxAS),
      m_vtcMinAS(other.m_vtcMinAS), m_vtcAveAS(other.m_vtcAveAS) {}

CVehicleType& CVehicleType::operator=(const CVehicleType& other) {
    *this = CVehicleType(other);
    return *this;
}

CVehicleType::~CVehicleType() = default;

bool CVehicleType::setDefaults(int typeIndex) {
    if (typeIndex < 0 || typeIndex >= NoDefaultTypes)
        return false;
    const TypeDefaults& d = typeDefaults[typeIndex];
    m_pIDMParams = std::make_unique<CIDMParameterSet>(typeIndex);
    m_Class = typeIndex;
    m_Importance = 0;
    m_Name = std::string(d.name);
    m_FileStem = std::string(d.stem);
    m_Color = d.color;
    for (unsigned id = VehicleTypeCriterion::NoAxles; id <= VehicleTypeCriterion::AveAxleSpacing;
         ++id) {
        VehicleTypeCriterion* c = getCriterion(id);
        c->setID(id);
        c->setLimits(d.limits[id - 1].low, d.limits[id - 1].high);
    }
    return true;
}

bool CVehicleType::matches(const Vehicle& vehicle) const {
    return m_vtcNoAxles.test(vehicle) && m_vtcGVW.test(vehicle) && m_vtcLength.test(vehicle) &&
           m_vtcMaxAS.test(vehicle) && m_vtcMinAS.test(vehicle) && m_vtcAveAS.test(vehicle);
}

VehicleTypeCriterion* CVehicleType::getCriterion(unsigned id) {
    switch (id) {
    case VehicleTypeCriterion::NoAxles:
        return &m_vtcNoAxles;
    case VehicleTypeCriterion::GVW:
        return &m_vtcGVW;
    case VehicleTypeCriterion::Length:
        return &m_vtcLength;
    case VehicleTypeCriterion::MaxAxleSpacing:
        return &m_vtcMaxAS;
    case VehicleTypeCriterion::MinAxleSpacing:
        return &m_vtcMinAS;
    case VehicleTypeCriterion::AveAxleSpacing:
        return &m_vtcAveAS;
    default:
        return nullptr;
    }
}

const VehicleTypeCriterion* CVehicleType::getCriterion(unsigned id) const {
    return const_cast<CVehicleType*>(this)->getCriterion(id);
}

std::string_view CVehicleType::classLabel(int vehicleClass) {
    if (vehicleClass < 0 || vehicleClass >= NoDefaultTypes)
        return {};
    return typeDefaults[vehicleClass].label;
}

std::string_view CVehicleType::importanceLabel(int importance) {
    static constexpr std::array<std::string_view, 3> labels = {"1 - Normal", "2 - Important",
                                                               "3 - Priority"};
    if (importance < 0 || importance >= static_cast<int>(labels.size()))
        return {};
    return labels[importance];
}

template <class Archive> void CVehicleType::serialize(Archive& ar, const unsigned /*version*/) {
    using boost::serialization::make_nvp;
    serializeText(ar, "m_Name", m_Name);
    ar& make_nvp("m_Class", m_Class);
    ar& make_nvp("m_Importance", m_Importance);
    ar& make_nvp("m_Color", m_Color);
    serializeText(ar, "m_FileStem", m_FileStem);
    if constexpr (Archive::is_saving::value) {
        const CIDMParameterSet* params = m_pIDMParams.get();
        ar << make_nvp("m_pIDMParams", params);
    } else {
        CIDMParameterSet* params = nullptr;
        ar >> make_nvp("m_pIDMParams", params);
        m_pIDMParams.reset(params);
        // Every vehicle released gets a driver from the set: an archive without one gets the
        // default set of the class.
        if (!m_pIDMParams)
            m_pIDMParams = std::make_unique<CIDMParameterSet>(m_Class);
    }
    ar& make_nvp("m_vtcNoAxles", m_vtcNoAxles);
    ar& make_nvp("m_vtcGVW", m_vtcGVW);
    ar& make_nvp("m_vtcLength", m_vtcLength);
    ar& make_nvp("m_vtcMaxAS", m_vtcMaxAS);
    ar& make_nvp("m_vtcMinAS", m_vtcMinAS);
    ar& make_nvp("m_vtcAveAS", m_vtcAveAS);
}

template void CVehicleType::serialize(boost::archive::xml_oarchive&, unsigned);
template void CVehicleType::serialize(boost::archive::xml_iarchive&, unsigned);

} // namespace tarlo

BOOST_CLASS_EXPORT_IMPLEMENT(tarlo::CVehicleType)
