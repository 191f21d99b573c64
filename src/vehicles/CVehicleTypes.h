#pragma once

#include <boost/serialization/split_member.hpp>
#include <boost/serialization/version.hpp>

#include <cstddef>
#include <memory>
#include <vector>

namespace tarlo {

class CVehicleType;
class Vehicle;

// The project's vehicle types, in class order. The set always holds at least the six types
// that classification scans.
class CVehicleTypes {
public:
    // The six default types, each with its default driver parameter set.
    CVehicleTypes();
    // Copies are deep: editing a copy leaves the original alone.
    CVehicleTypes(const CVehicleTypes& other);
    CVehicleTypes& operator=(const CVehicleTypes& other);
    CVehicleTypes(CVehicleTypes&&) = default;
    CVehicleTypes& operator=(CVehicleTypes&&) = default;
    virtual ~CVehicleTypes();

    // The User-defined type when it matches, else the first matching type in class order,
    // else a fallback by axle count: Car for two axles below the Car weight limit, Small
    // Truck up to its axle limit, Large Truck beyond. Never null.
    const CVehicleType* classify(const Vehicle& vehicle) const;

    // The number of types that classification scans.
    int getNoTypes() const { return m_NoTypes; }
    std::size_t size() const { return m_vVehicleTypes.size(); }
    // The type at an index; null past the end.
    CVehicleType* getType(std::size_t index);
    const CVehicleType* getType(std::size_t index) const;

    template <class Archive> void save(Archive& ar, unsigned version) const;
    template <class Archive> void load(Archive& ar, unsigned version);
    BOOST_SERIALIZATION_SPLIT_MEMBER()

private:
    // Gives missing or empty places among the first six types their default type and drops
    // empty places after them.
    void completeDefaults();

    int m_NoTypes = 6;
    std::vector<std::shared_ptr<CVehicleType>> m_vVehicleTypes;
};

} // namespace tarlo

BOOST_CLASS_VERSION(tarlo::CVehicleTypes, 1)
