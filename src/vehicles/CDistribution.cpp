#include "vehicles/CDistribution.h"

#include "vehicles/CConstantDist.h"
#include "vehicles/CContinuousDist.h"
#include "vehicles/CDiscreteDist.h"

#include <boost/archive/xml_iarchive.hpp>
#include <boost/archive/xml_oarchive.hpp>

namespace tarlo {

// The base part carries nothing of its own; its class version marks the archive layout.
template <class Archive>
void CDistribution::serialize(Archive& /*ar*/, const unsigned /*version*/) {}

template void CDistribution::serialize(boost::archive::xml_oarchive&, unsigned);
template void CDistribution::serialize(boost::archive::xml_iarchive&, unsigned);

} // namespace tarlo

// The kinds are registered beside the base part's serialization, which the serialization of
// every kind calls: a program that links any kind links the registrations of all of them.
BOOST_CLASS_EXPORT_IMPLEMENT(tarlo::CConstantDist)
BOOST_CLASS_EXPORT_IMPLEMENT(tarlo::CContinuousDist)
BOOST_CLASS_EXPORT_IMPLEMENT(tarlo::CDiscreteDist)
