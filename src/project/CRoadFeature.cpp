#include "project/CRoadFeature.h"

#include "project/CodeLabels.h"

#include <boost/archive/xml_iarchive.hpp>
#include <boost/archive/xml_oarchive.hpp>
#include <boost/serialization/base_object.hpp>
#include <boost/serialization/nvp.hpp>

#include <algorithm>
#include <array>

namespace tarlo {

namespace {

constexpr std::array<const char*, 7> kTypeLabels = {
    "Speed Limit", "Gradient", "Obstacle", "Politeness", "Bias", "Lane Change Ban", "Gap Control"};
constexpr std::array<double, 7> kDefaultValues = {80.0, 10.0, 1.0, 0.5, 0.5, 1.0, 50.0};
constexpr std::array<const char*, 8> kVehicleLabels = {"All Vehicles", "All Trucks",   "Cars",
                                                       "Small Trucks", "Large Trucks", "Cranes",
                                                       "Low-loaders",  "User-defined"};


} // namespace

CRoadFeature::CRoadFeature() : CElement(CElement::RoadFeature, "Feature") {
    fillLabels();
}

CRoadFeature::CRoadFeature(const CRoadFeature& other) : CElement(other) {
    *this = other;
}

CRoadFeature& CRoadFeature::operator=(const CRoadFeature& other) {
    CElement::operator=(other);
    m_FeatVehType = other.m_FeatVehType;
    m_Type = other.m_Type;
    m_Value = other.m_Value;
    m_End = other.m_End;
    m_Start = other.m_Start;
    m_DirPos = other.m_DirPos;
    m_Adherence = other.m_Adherence;
    fillLabels();
    return *this;
}

void CRoadFeature::fillLabels() {
    m_vTypeLabels.assign(kTypeLabels.begin(), kTypeLabels.end());
    m_vVehicleLabels.assign(kVehicleLabels.begin(), kVehicleLabels.end());
}

std::string CRoadFeature::typeLabel(int code) const {
    return labelOf(m_vTypeLabels, SpeedLimit, code);
}

std::string CRoadFeature::vehicleLabel(int code) const {
    return labelOf(m_vVehicleLabels, AllVehicles, code);
}

int CRoadFeature::typeCode(std::string_view label) const {
    return codeOf(m_vTypeLabels, SpeedLimit, label);
}

int CRoadFeature::vehicleCode(std::string_view label) const {
    return codeOf(m_vVehicleLabels, AllVehicles, label);
}

double CRoadFeature::defaultValue(int type) {
    if (type < SpeedLimit || type > GapControl)
        return 0.0;
    return kDefaultValues[type - SpeedLimit];
}

template <class Archive> void CRoadFeature::serialize(Archive& ar, const unsigned version) {
    using boost::serialization::make_nvp;
    ar& make_nvp("CElement", boost::serialization::base_object<CElement>(*this));
    ar& make_nvp("m_Type", m_Type);
    ar& make_nvp("m_DirPos", m_DirPos);
    ar& make_nvp("m_Start", m_Start);
    ar& make_nvp("m_End", m_End);
    ar& make_nvp("m_Value", m_Value);
    if (version >= 2) {
        ar& make_nvp("m_FeatVehType", m_FeatVehType);
        ar& make_nvp("m_Adherence", m_Adherence);
    }
}

template void CRoadFeature::serialize(boost::archive::xml_oarchive&, unsigned);
template void CRoadFeature::serialize(boost::archive::xml_iarchive&, unsigned);

} // namespace tarlo

// Registered beside its serialization, which every archive holding a feature calls.
BOOST_CLASS_EXPORT_IMPLEMENT(tarlo::CRoadFeature)
