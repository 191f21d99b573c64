#include "vehicles/CContinuousDist.h"

#include "vehicles/RandomGenerator.h"

#include <boost/archive/xml_iarchive.hpp>
#include <boost/archive/xml_oarchive.hpp>
#include <boost/serialization/base_object.hpp>

#include <array>
#include <cmath>

namespace tarlo {

namespace {

// A uniform draw for a logarithm: 0 and 1 (one draw in about 2^31) are drawn again so that
// no logarithm becomes infinite.
double openUniform(RandomGenerator& rng) {
    double u = rng.uniform();
    while (u == 0.0 || u == 1.0)
        u = rng.uniform();
    return u;
}

// Box–Muller with one of its two variates chosen by the second draw: the cosine when it is
// below one half, else the sine. The factor scales the radius before the angle is applied.
double coinFlipNormal(RandomGenerator& rng, double factor, double pi) {
    const double u1 = openUniform(rng);
    const double u2 = rng.uniform();
    const double r = std::sqrt(-2.0 * std::log(u1));
    const double theta = 2.0 * pi * u2;
    const bool useCosine = static_cast<int>(u2 + 0.5) == 0;
    return factor * r * (useCosine ? std::cos(theta) : std::sin(theta));
}

// Leva's ratio-of-uniforms standard normal.
double levaNormal(RandomGenerator& rng) {
    for (;;) {
        const double u = rng.uniform();
        const double v = 1.7156 * (rng.uniform() - 0.5);
        const double x = u - 0.449871;
        const double y = std::abs(v) + 0.386595;
        const double q = x * x + y * (0.196 * y - 0.25472 * x);
        if (q <= 0.27597)
            return v / u;
        if (q <= 0.27846 && v * v <= -4.0 * u * u * std::log(u))
            return v / u;
    }
}

} // namespace

CContinuousDist::CContinuousDist(int form, double location, double scale, double shape)
    : m_DistForm(form), m_Location(location), m_Scale(scale), m_Shape(shape) {}

double CContinuousDist::generate(RandomGenerator& rng) const {
    switch (m_DistForm) {
    case Exponential:
        return m_Location - std::log(openUniform(rng)) * m_Scale;
    case LogNormal:
        return std::exp(m_Location + coinFlipNormal(rng, m_Scale, pi));
    case Gamma:
        return gamma(rng);
    case Gumbel:
        return m_Location - std::log(std::log(1.0 / openUniform(rng))) * (1.0 / m_Scale);
    case Poisson:
        return (m_Location - 0.5) + coinFlipNormal(rng, std::sqrt(m_Scale), pi);
    case GEV: {
        const double w = -std::log(openUniform(rng));
        // A zero shape is the Gumbel limit of the formula, which would otherwise give 0/0.
        if (m_Shape == 0.0)
            return m_Location - m_Scale * std::log(w);
        return m_Location + m_Scale * (1.0 - std::pow(w, m_Shape)) / m_Shape;
    }
    case Normal:
        return m_Location + m_Scale * rng.polarNormal();
    case Uniform:
        return rng.uniform() * (2.0 * m_Scale) + (m_Location - m_Scale);
    default:
        return m_Location;
    }
}

// Marsaglia–Tsang with shape m_Location and rate m_Scale. A shape of 1 or less is raised by 1
// and corrected afterwards by U^(1/shape).
double CContinuousDist::gamma(RandomGenerator& rng) const {
    const double alpha = m_Location;
    const double a = alpha > 1.0 ? alpha : alpha + 1.0;
    const double d = a - 1.0 / 3.0;
    const double c = 1.0 / std::sqrt(9.0 * d);
    double v = 0.0;
    for (;;) {
        const double x = levaNormal(rng);
        v = 1.0 + c * x;
        if (v <= 0.0)
            continue;
        v = v * v * v;
        const double u = rng.uniform();
        if (u <= 1.0 - 0.331 * x * x * x * x)
            break;
        if (std::log(u) <= 0.5 * x * x + d * (1.0 - v + std::log(v)))
            break;
    }
    if (a == alpha)
        return d * v / m_Scale;
    double u = rng.uniform();
    while (u == 0.0)
        u = rng.uniform();
    return d * v * std::pow(u, 1.0 / alpha) / m_Scale;
}

std::shared_ptr<CDistribution> CContinuousDist::clone() const {
    return std::make_shared<CContinuousDist>(*this);
}

std::string_view CContinuousDist::formLabel(int form) {
    static constexpr std::array<std::string_view, 8> labels = {
        "Exponential", "Log-Normal", "Gamma", "Gumbel", "Poisson", "GEV", "Normal", "Uniform"};
    if (form < Exponential || form > Uniform)
        return "Normal";
    return labels[form - Exponential];
}

template <class Archive> void CContinuousDist::serialize(Archive& ar, const unsigned /*version*/) {
    using boost::serialization::make_nvp;
    ar& make_nvp("CDistribution", boost::serialization::base_object<CDistribution>(*this));
    ar& make_nvp("m_DistForm", m_DistForm);
    ar& make_nvp("m_Location", m_Location);
    ar& make_nvp("m_Scale", m_Scale);
    ar& make_nvp("m_Shape", m_Shape);
}

template void CContinuousDist::serialize(boost::archive::xml_oarchive&, unsigned);
template void CContinuousDist::serialize(boost::archive::xml_iarchive&, unsigned);

} // namespace tarlo
