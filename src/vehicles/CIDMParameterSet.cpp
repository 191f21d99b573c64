#include "vehicles/CIDMParameterSet.h"

#include "engine/IDM.h"

#include <boost/archive/xml_iarchive.hpp>
#include <boost/archive/xml_oarchive.hpp>

#include <cmath>

namespace tarlo {

CIDMParameterSet::CIDMParameterSet(int vehClass) : m_VehClass(vehClass) {}

CIDMParameterSet& CIDMParameterSet::operator=(const CIDMParameterSet& other) {
    m_T = other.m_T;
    m_A = other.m_A;
    m_B = other.m_B;
    m_S0 = other.m_S0;
    m_S1 = other.m_S1;
    m_V0 = other.m_V0;
    m_Delta = other.m_Delta;
    m_Polite = other.m_Polite;
    m_Bias = other.m_Bias;
    m_DeltaAth = other.m_DeltaAth;
    return *this;
}

std::shared_ptr<DriverModel> CIDMParameterSet::createDriver(RandomGenerator& rng,
                                                            const CSettings& settings) const {
    auto idm = std::make_shared<IDM>(settings);
    idm->T = m_T.drawNonNegative(rng);
    idm->a = m_A.drawNonNegative(rng);
    idm->sqrtAB2 = 2.0 * std::sqrt(idm->a * idm->b);
    idm->b = m_B.drawNonNegative(rng);
    idm->sqrtAB2 = 2.0 * std::sqrt(idm->a * idm->b);
    idm->s0 = m_S0.drawNonNegative(rng);
    idm->s1 = m_S1.drawNonNegative(rng);
    idm->v0 = m_V0.drawNonNegative(rng) * 0.27777778;
    idm->v0Drawn = idm->v0;
    idm->delta = m_Delta.drawNonNegative(rng);
    idm->politeness = m_Polite.drawNonNegative(rng);
    idm->bias = m_Bias.draw(rng);
    idm->threshold = m_DeltaAth.drawNonNegative(rng);
    return idm;
}

CParameter* CIDMParameterSet::getParameter(int kind) {
    if (kind < CParameter::T || kind > CParameter::DeltaAth)
        return nullptr;
    return parameters()[kind - CParameter::T];
}

const CParameter* CIDMParameterSet::getParameter(int kind) const {
    return const_cast<CIDMParameterSet*>(this)->getParameter(kind);
}

std::array<CParameter*, CIDMParameterSet::NoParameters> CIDMParameterSet::parameters() {
    return {&m_T, &m_A, &m_B, &m_S0, &m_S1, &m_V0, &m_Delta, &m_Polite, &m_Bias, &m_DeltaAth};
}

template <class Archive> void CIDMParameterSet::serialize(Archive& ar, const unsigned /*version*/) {
    using boost::serialization::make_nvp;
    ar& make_nvp("m_VehClass", m_VehClass);
    ar& make_nvp("m_T", m_T);
    ar& make_nvp("m_A", m_A);
    ar& make_nvp("m_B", m_B);
    ar& make_nvp("m_S0", m_S0);
    ar& make_nvp("m_S1", m_S1);
    ar& make_nvp("m_V0", m_V0);
    ar& make_nvp("m_Delta", m_Delta);
    ar& make_nvp("m_Polite", m_Polite);
    ar& make_nvp("m_Bias", m_Bias);
    ar& make_nvp("m_DeltaAth", m_DeltaAth);
}

template void CIDMParameterSet::serialize(boost::archive::xml_oarchive&, unsigned);
template void CIDMParameterSet::serialize(boost::archive::xml_iarchive&, unsigned);

} // namespace tarlo

BOOST_CLASS_EXPORT_IMPLEMENT(tarlo::CIDMParameterSet)
