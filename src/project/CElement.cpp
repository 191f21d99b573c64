#include "project/CElement.h"

#include "project/WideString.h"

#include <boost/archive/xml_iarchive.hpp>
#include <boost/archive/xml_oarchive.hpp>

#include <array>
#include <utility>

namespace tarlo {

CElement::CElement(int elementType, std::string description)
    : m_Description(std::move(description)), m_ElementType(elementType) {}

std::string_view CElement::typeLabel(int elementType) {
    static constexpr std::array<std::string_view, 9> labels = {
        "Configuration",  "Road Feature",          "Detector",     "Bridge",       "Load Effect",
        "Influence Line", "Discrete Distribution", "Vehicle Type", "IDM Parameter"};
    if (elementType < Configuration || elementType > IDMParameter)
        return "Unknown";
    return labels[elementType - Configuration];
}

template <class Archive> void CElement::serialize(Archive& ar, const unsigned /*version*/) {
    ar& boost::serialization::make_nvp("m_ElementType", m_ElementType);
    serializeText(ar, "m_Description", m_Description);
}

template void CElement::serialize(boost::archive::xml_oarchive&, unsigned);
template void CElement::serialize(boost::archive::xml_iarchive&, unsigned);

} // namespace tarlo
