#include "vehicles/CParameter.h"

#include "vehicles/CConstantDist.h"
#include "vehicles/CContinuousDist.h"
#include "vehicles/CDiscreteDist.h"

#include <boost/archive/xml_iarchive.hpp>
#include <boost/archive/xml_oarchive.hpp>
#include <boost/serialization/shared_ptr.hpp>

#include <array>
#include <utility>

namespace tarlo {

namespace {

struct KindDefaults {
    std::string_view label;
    int kind;
    double location;
    double scale;
};

constexpr std::array<KindDefaults, 10> kindDefaults = {{
    {"Safe time headway, T (s)", CDistribution::Continuous, 1.2, 0.05},
    {"Maximum acceleration, a (m/s^2)", CDistribution::Continuous, 1.0, 0.05},
    {"Comfortable decceleration, b (m/s^2)", CDistribution::Continuous, 2.0, 0.1},
    {"Minimum jam distance, s0 (m)", CDistribution::Continuous, 1.0, 0.05},
    {"Elastic jam distance, s1 (m)", CDistribution::Continuous, 10.0, 0.7},
    {"Desired velocity, v0 (km/h)", CDistribution::Continuous, 80.0, 3.0},
    {"Acceleration exponent, delta", CDistribution::Constant, 4.0, 0.0},
    {"Lane change politeness factor, p", CDistribution::Constant, 0.0, 0.0},
    {"Outside lane bias factor, deltaAbias", CDistribution::Constant, 0.1, 0.0},
    {"Lane change threshold, deltaAth (m/s^2)", CDistribution::Constant, 0.3, 0.0},
}};

const KindDefaults* defaultsOf(int kind) {
    if (kind < CParameter::T || kind > CParameter::DeltaAth)
        return nullptr;
    return &kindDefaults[kind - CParameter::T];
}

} // namespace

CParameter::CParameter(int kind) : m_ID(kind) {
    setDefaults();
}

CParameter::CParameter(const CParameter& other)
    : m_pDistribution(other.m_pDistribution->clone()), m_ID(other.m_ID), lastValue(other.lastValue),
      location(other.location), scale(other.scale), shape(other.shape),
      defaultKind(other.defaultKind), defaultForm(other.defaultForm) {}

CParameter& CParameter::operator=(const CParameter& other) {
    *this = CParameter(other);
    return *this;
}

void CParameter::setDefaults() {
    m_pDistribution.reset();
    if (const KindDefaults* d = defaultsOf(m_ID)) {
        defaultKind = d->kind;
        defaultForm = CContinuousDist::Normal;
        location = d->location;
        scale = d->scale;
    }
    if (defaultKind == CDistribution::Constant)
        m_pDistribution = std::make_shared<CConstantDist>(location);
    else
        m_pDistribution = std::make_shared<CContinuousDist>(defaultForm, location, scale, shape);
}

int CParameter::setKind(int kind) {
    if (kind == CDistribution::Continuous)
        return 0;
    if (m_pDistribution->isType(kind))
        return 0;
    if (kind == CDistribution::Discrete)
        return 1;
    if (kind == CDistribution::Constant) {
        const bool wasContinuous = m_pDistribution->isType(CDistribution::Continuous);
        const double value = wasContinuous ? m_pDistribution->getMean() : location;
        m_pDistribution = std::make_shared<CConstantDist>(value);
    }
    return 0;
}

void CParameter::setForm(int form) {
    auto next = std::make_shared<CContinuousDist>();
    if (const auto* constant = dynamic_cast<const CConstantDist*>(m_pDistribution.get())) {
        next->setLocation(constant->getValue());
    } else if (const auto* old = dynamic_cast<const CContinuousDist*>(m_pDistribution.get())) {
        next->setLocation(old->getLocation());
        next->setScale(old->getScale());
        next->setShape(old->getShape());
    } else {
        next->setLocation(location);
        next->setScale(scale);
        next->setShape(shape);
    }
    next->setForm(form);
    m_pDistribution = std::move(next);
}

void CParameter::setDiscrete(const CDiscreteDist& dist) {
    m_pDistribution = std::make_shared<CDiscreteDist>(dist);
}

double CParameter::draw(RandomGenerator& rng) const {
    lastValue = m_pDistribution->generate(rng);
    return lastValue;
}

double CParameter::drawNonNegative(RandomGenerator& rng) const {
    for (int i = 0; i < MaxDraws; ++i) {
        if (!(draw(rng) < 0.0))
            return lastValue;
    }
    lastValue = 0.0;
    return lastValue;
}

std::string_view CParameter::label(int kind) {
    const KindDefaults* d = defaultsOf(kind);
    return d ? d->label : std::string_view();
}

std::span<const std::string_view> CParameter::distributionChoices() {
    static constexpr std::array<std::string_view, 10> choices = {
        "Constant", "Normal",  "Discrete",   "Uniform",     "GEV",
        "Gumbel",   "Poisson", "Log-Normal", "Exponential", "Gamma"};
    return choices;
}

template <class Archive> void CParameter::save(Archive& ar, const unsigned /*version*/) const {
    using boost::serialization::make_nvp;
    ar << make_nvp("m_ID", m_ID);
    ar << make_nvp("m_pDistribution", m_pDistribution);
}

// Class version 0 holds the distribution as a plain pointer. A discrete one belongs to the
// project's list as well, so the parameter takes a copy; any other one is taken over.
template <class Archive> void CParameter::load(Archive& ar, const unsigned version) {
    using boost::serialization::make_nvp;
    ar >> make_nvp("m_ID", m_ID);
    if (version >= 1) {
        ar >> make_nvp("m_pDistribution", m_pDistribution);
    } else {
        CDistribution* loaded = nullptr;
        ar >> make_nvp("m_pDistribution", loaded);
        if (auto* discrete = dynamic_cast<CDiscreteDist*>(loaded))
            m_pDistribution = std::make_shared<CDiscreteDist>(*discrete);
        else if (loaded && !loaded->weak_from_this().expired())
            m_pDistribution = loaded->clone();
        else
            m_pDistribution.reset(loaded);
    }
    // An archive without a distribution would leave nothing to draw from.
    if (!m_pDistribution)
        setDefaults();
}

template void CParameter::save(boost::archive::xml_oarchive&, unsigned) const;
template void CParameter::load(boost::archive::xml_iarchive&, unsigned);

} // namespace tarlo
