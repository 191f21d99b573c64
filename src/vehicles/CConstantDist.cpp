#include "vehicles/CConstantDist.h"

#include <boost/archive/xml_iarchive.hpp>
#include <boost/archive/xml_oarchive.hpp>
#include <boost/serialization/base_object.hpp>

namespace tarlo {

double CConstantDist::generate(RandomGenerator& /*rng*/) const {
    return m_Value;
}

std::shared_ptr<CDistribution> CConstantDist::clone() const {
    return std::make_shared<CConstantDist>(*this);
}

template <class Archive> void CConstantDist::serialize(Archive& ar, const unsigned /*version*/) {
    using boost::serialization::make_nvp;
    ar& make_nvp("CDistribution", boost::serialization::base_object<CDistribution>(*this));
    ar& make_nvp("m_Value", m_Value);
}

template void CConstantDist::serialize(boost::archive::xml_oarchive&, unsigned);
template void CConstantDist::serialize(boost::archive::xml_iarchive&, unsigned);

} // namespace tarlo
