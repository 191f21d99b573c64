#include "bridges/CInfluenceLine.h"

#include "bridges/CInfLineDiscrete.h"
#include "bridges/CInfLineFunction.h"

#include <boost/archive/xml_iarchive.hpp>
#include <boost/archive/xml_oarchive.hpp>
#include <boost/serialization/nvp.hpp>

namespace tarlo {

std::string_view CInfluenceLine::GetTypeName() const {
    return m_Type == IL_FUNCTION ? "Function" : "Discrete";
}

template <class Archive> void CInfluenceLine::serialize(Archive& ar, const unsigned /*version*/) {
    using boost::serialization::make_nvp;
    ar& make_nvp("m_Type", m_Type);
    ar& make_nvp("m_Length", m_Length);
}

template void CInfluenceLine::serialize(boost::archive::xml_oarchive&, unsigned);
template void CInfluenceLine::serialize(boost::archive::xml_iarchive&, unsigned);

} // namespace tarlo

// The kinds are registered beside the base part's serialization, which every archive that
// holds an influence line calls: a program that stores or loads any line links the
// registrations of both kinds.
BOOST_CLASS_EXPORT_IMPLEMENT(tarlo::CInfLineFunction)
BOOST_CLASS_EXPORT_IMPLEMENT(tarlo::CInfLineDiscrete)
