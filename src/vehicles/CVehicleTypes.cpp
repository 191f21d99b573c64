#include "vehicles/CVehicleTypes.h"

#include "engine/Vehicle.h"
#include "vehicles/CVehicleType.h"

#include <boost/archive/xml_iarchive.hpp>
#include <boost/archive/xml_oarchive.hpp>
#include <boost/serialization/shared_ptr.hpp>
#include <boost/serialization/vector.hpp>

#include <utility>

namespace tarlo {

CVehicleTypes::CVehicleTypes() {
    completeDefaults();
}

CVehicleTypes::CVehicleTypes(const CVehicleTypes& other) : m_NoTypes(other.m_NoTypes) {
    m_vVehicleTypes.reserve(other.m_vVehicleTypes.size());
    for (const auto& type : other.m_vVehicleTypes)
        m_vVehicleTypes.push_back(std::make_shared<CVehicleType>(*type));
}

CVehicleTypes& CVehicleTypes::operator=(const CVehicleTypes& other) {
    *this = CVehicleTypes(other);
    return *this;
}

CVehicleTypes::~CVehicleTypes() = default;

const CVehicleType* CVehicleTypes::classify(const Vehicle& vehicle) const {
    const auto& types = m_vVehicleTypes;
    if (types[CVehicleType::UserDefined]->matches(vehicle))
        return types[CVehicleType::UserDefined].get();
    for (int i = 0; i < m_NoTypes; ++i) {
        if (types[i]->matches(vehicle))
            return types[i].get();
    }
    const unsigned n = vehicle.noAxles;
    const double tonnes = vehicle.gvw / 0.981 / 10.0;
    const CVehicleType& car = *types[CVehicleType::Car];
    const CVehicleType& smallTruck = *types[CVehicleType::SmallTruck];
    if (n == 2 && car.getCriterion(VehicleTypeCriterion::GVW)->getHigh() > tonnes)
        return &car;
    if (smallTruck.getCriterion(VehicleTypeCriterion::NoAxles)->getHigh() >= n)
        return &smallTruck;
    return types[CVehicleType::LargeTruck].get();
}

CVehicleType* CVehicleTypes::getType(std::size_t index) {
    return index < m_vVehicleTypes.size() ? m_vVehicleTypes[index].get() : nullptr;
}

const CVehicleType* CVehicleTypes::getType(std::size_t index) const {
    return index < m_vVehicleTypes.size() ? m_vVehicleTypes[index].get() : nullptr;
}

void CVehicleTypes::completeDefaults() {
    if (m_vVehicleTypes.size() < static_cast<std::size_t>(m_NoTypes))
        m_vVehicleTypes.resize(m_NoTypes);
    for (int i = 0; i < m_NoTypes; ++i) {
        if (!m_vVehicleTypes[i]) {
            m_vVehicleTypes[i] = std::make_shared<CVehicleType>();
            m_vVehicleTypes[i]->setDefaults(i);
        }
    }
    std::erase(m_vVehicleTypes, nullptr);
}

template <class Archive> void CVehicleTypes::save(Archive& ar, const unsigned /*version*/) const {
    ar << boost::serialization::make_nvp("m_vVehicleTypes", m_vVehicleTypes);
}

// Class version 0 holds plain pointers, which the shared pointers then take over. A set read
// with fewer than six types is completed with default types.
template <class Archive> void CVehicleTypes::load(Archive& ar, const unsigned version) {
    using boost::serialization::make_nvp;
    std::vector<std::shared_ptr<CVehicleType>> types;
    if (version >= 1) {
        ar >> make_nvp("m_vVehicleTypes", types);
    } else {
        std::vector<CVehicleType*> plain;
        ar >> make_nvp("m_vVehicleTypes", plain);
        for (CVehicleType* type : plain)
            types.emplace_back(type);
    }
    m_vVehicleTypes = std::move(types);
    completeDefaults();
}

template void CVehicleTypes::save(boost::archive::xml_oarchive&, unsigned) const;
template void CVehicleTypes::load(boost::archive::xml_iarchive&, unsigned);

} // namespace tarlo
