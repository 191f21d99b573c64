#include "detectors/CStatDetector.h"

#include "project/CodeLabels.h"

#include <boost/archive/xml_iarchive.hpp>
#include <boost/archive/xml_oarchive.hpp>
#include <boost/serialization/base_object.hpp>
#include <boost/serialization/nvp.hpp>

#include <algorithm>
#include <array>

namespace tarlo {

namespace {
constexpr std::array<const char*, 10> kKindLabels = {
    "Flow & Density", "Headway",       "Composition", "Lane Changes", "Output Vehicles",
    "Macro Segment",  "Micro Segment", "S-T Density", "S-T SMS",      "Occupancy"};
constexpr std::array<const char*, 8> kFilterLabels = {"All Vehicles", "All Trucks",   "Cars",
                                                      "Small Trucks", "Large Trucks", "Cranes",
                                                      "Low-loaders",  "User-defined"};

} // namespace

CStatDetector::CStatDetector() : CElement(CElement::Detector, "Detector") {
    fillLabels();
}

CStatDetector::CStatDetector(const CStatDetector& other) : CElement(other) {
    *this = other;
}

CStatDetector& CStatDetector::operator=(const CStatDetector& other) {
    CElement::operator=(other);
    m_DetectorType = other.m_DetectorType;
    m_DetectorName = other.m_DetectorName;
    m_DetectorVehicleType = other.m_DetectorVehicleType;
    m_DirPos = other.m_DirPos;
    m_TimeInterval = other.m_TimeInterval;
    m_ParamA = other.m_ParamA;
    m_ParamB = other.m_ParamB;
    m_ParamC = other.m_ParamC;
    fillLabels();
    return *this;
}

void CStatDetector::fillLabels() {
    m_vTypeLabels.assign(kKindLabels.begin(), kKindLabels.end());
    m_vVehicleLabels.assign(kFilterLabels.begin(), kFilterLabels.end());
}

std::string CStatDetector::kindLabel(int code) const {
    return labelOf(m_vTypeLabels, DETECTOR_FLOW_DENSITY, code);
}

std::string CStatDetector::filterLabel(int code) const {
    return labelOf(m_vVehicleLabels, FILTER_ALL_VEHICLES, code);
}

int CStatDetector::kindCode(std::string_view label) const {
    return codeOf(m_vTypeLabels, DETECTOR_FLOW_DENSITY, label);
}

int CStatDetector::filterCode(std::string_view label) const {
    return codeOf(m_vVehicleLabels, FILTER_ALL_VEHICLES, label);
}

void CStatDetector::setDetectorName(int kind) {
    m_DetectorName = kind;
    if (const int category = detectorCategoryOf(kind))
        m_DetectorType = category;
}

template <class Archive> void CStatDetector::serialize(Archive& ar, const unsigned /*version*/) {
    using boost::serialization::make_nvp;
    ar& make_nvp("CElement", boost::serialization::base_object<CElement>(*this));
    ar& make_nvp("m_DetectorType", m_DetectorType);
    ar& make_nvp("m_DetectorName", m_DetectorName);
    ar& make_nvp("m_DirPos", m_DirPos);
    ar& make_nvp("m_DetectorVehicleType", m_DetectorVehicleType);
    ar& make_nvp("m_TimeInterval", m_TimeInterval);
    ar& make_nvp("m_ParamA", m_ParamA);
    ar& make_nvp("m_ParamB", m_ParamB);
    ar& make_nvp("m_ParamC", m_ParamC);
    // A category that disagrees with the kind (a hand-edited file) follows the kind.
    if constexpr (Archive::is_loading::value)
        setDetectorName(m_DetectorName);
}

template void CStatDetector::serialize(boost::archive::xml_oarchive&, unsigned);
template void CStatDetector::serialize(boost::archive::xml_iarchive&, unsigned);

} // namespace tarlo
