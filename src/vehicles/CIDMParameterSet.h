#pragma once

#include "vehicles/CParameter.h"

#include <boost/serialization/export.hpp>
#include <boost/serialization/version.hpp>

#include <array>
#include <memory>

namespace tarlo {

class CSettings;
class DriverModel;
class RandomGenerator;

// The ten driver parameters of one vehicle type, from which every vehicle of the type gets a
// driver model with its own drawn values.
class CIDMParameterSet {
public:
    static constexpr int NoParameters = 10;

    // Every parameter with the default distribution of its kind.
    explicit CIDMParameterSet(int vehClass = 0);
    CIDMParameterSet(const CIDMParameterSet&) = default;
    // Takes clones of the other set's parameters; the set keeps its own vehicle class.
    CIDMParameterSet& operator=(const CIDMParameterSet& other);
    virtual ~CIDMParameterSet() = default;

    // A new Intelligent Driver Model with all ten parameters drawn in set order. Only the
    // bias may be negative; v0 is drawn in km/h.
    std::shared_ptr<DriverModel> createDriver(RandomGenerator& rng,
                                              const CSettings& settings) const;

    int getVehClass() const { return m_VehClass; }
    // The parameter of a kind (CParameter::T … CParameter::DeltaAth); null for another code.
    CParameter* getParameter(int kind);
    const CParameter* getParameter(int kind) const;

    template <class Archive> void serialize(Archive& ar, unsigned version);

private:
    std::array<CParameter*, NoParameters> parameters();

    int m_VehClass;
    CParameter m_T{CParameter::T};
    CParameter m_A{CParameter::A};
    CParameter m_B{CParameter::B};
    CParameter m_S0{CParameter::S0};
    CParameter m_S1{CParameter::S1};
    CParameter m_V0{CParameter::V0};
    CParameter m_Delta{CParameter::Delta};
    CParameter m_Polite{CParameter::Polite};
    CParameter m_Bias{CParameter::Bias};
    CParameter m_DeltaAth{CParameter::DeltaAth};
};

} // namespace tarlo

BOOST_CLASS_VERSION(tarlo::CIDMParameterSet, 0)
BOOST_CLASS_EXPORT_KEY2(tarlo::CIDMParameterSet, "CIDMParameterSet")
