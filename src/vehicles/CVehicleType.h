#pragma once

#include "vehicles/CIDMParameterSet.h"
#include "vehicles/VehicleTypeCriterion.h"

#include <boost/serialization/export.hpp>
#include <boost/serialization/version.hpp>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

namespace tarlo {

class Vehicle;

// One vehicle type: the six range tests that recognise it, its driver parameter set, and how
// the road view and the output files show it.
class CVehicleType {
public:
    enum Class : int {
        Car = 0,
        SmallTruck = 1,
        LargeTruck = 2,
        Crane = 3,
        LowLoader = 4,
        UserDefined = 5
    };
    static constexpr int NoDefaultTypes = 6;

    // Empty names, criteria without a quantity, no parameter set: setDefaults fills it.
    CVehicleType();
    CVehicleType(const CVehicleType& other);
    CVehicleType& operator=(const CVehicleType& other);
    CVehicleType(CVehicleType&&) = default;
    CVehicleType& operator=(CVehicleType&&) = default;
    virtual ~CVehicleType();

    // The default type of class typeIndex (0 to 5) with a new default parameter set; false
    // and nothing changed for another index.
    bool setDefaults(int typeIndex);
    // All six criteria pass, tested in the order of their IDs.
    bool matches(const Vehicle& vehicle) const;

    const std::string& getName() const { return m_Name; }
    void setName(std::string name) { m_Name = std::move(name); }
    const std::string& getFileStem() const { return m_FileStem; }
    void setFileStem(std::string stem) { m_FileStem = std::move(stem); }
    int getClass() const { return m_Class; }
    // A Windows COLORREF, 0x00BBGGRR.
    std::uint32_t getColor() const { return m_Color; }
    void setColor(std::uint32_t color) { m_Color = color; }
    int getImportance() const { return m_Importance; }
    void setImportance(int importance) { m_Importance = importance; }
    CIDMParameterSet* getIDMParams() { return m_pIDMParams.get(); }
    const CIDMParameterSet* getIDMParams() const { return m_pIDMParams.get(); }
    // The criterion testing a quantity (VehicleTypeCriterion::NoAxles … AveAxleSpacing);
    // null for another ID.
    VehicleTypeCriterion* getCriterion(unsigned id);
    const VehicleTypeCriterion* getCriterion(unsigned id) const;

    // "1 - Cars" … "6 - User-defined"; empty for another class.
    static std::string_view classLabel(int vehicleClass);
    // "1 - Normal", "2 - Important", "3 - Priority"; empty for another value.
    static std::string_view importanceLabel(int importance);

    template <class Archive> void serialize(Archive& ar, unsigned version);

private:
    std::unique_ptr<CIDMParameterSet> m_pIDMParams;
    int m_Class = 0;
    std::uint32_t m_Color = 0;
    int m_Importance = 0;
    std::string m_Name;
    std::string m_FileStem;
    VehicleTypeCriterion m_vtcNoAxles;
    VehicleTypeCriterion m_vtcGVW;
    VehicleTypeCriterion m_vtcLength;
    VehicleTypeCriterion m_vtcMaxAS;
    VehicleTypeCriterion m_vtcMinAS;
    VehicleTypeCriterion m_vtcAveAS;
};

} // namespace tarlo

BOOST_CLASS_VERSION(tarlo::CVehicleType, 1)
BOOST_CLASS_EXPORT_KEY2(tarlo::CVehicleType, "CVehicleType")
