#pragma once

#include <boost/serialization/access.hpp>
#include <boost/serialization/version.hpp>

#include <memory>

namespace tarlo {

class RandomGenerator;

// A random variable that driver parameters draw from: constant, continuous or tabulated.
// Held by shared pointer; an object can hand out a shared pointer to itself.
class CDistribution : public std::enable_shared_from_this<CDistribution> {
public:
    enum Kind : int { Constant = 100, Discrete = 101, Continuous = 102 };

    virtual ~CDistribution() = default;

    virtual int getType() const = 0;
    // One draw; the generator supplies the uniform variates.
    virtual double generate(RandomGenerator& rng) const = 0;
    // The constant's value, the continuous location or the discrete weighted mean.
    virtual double getMean() const = 0;
    bool isType(int kind) const { return kind == getType(); }
    virtual std::shared_ptr<CDistribution> clone() const = 0;

    template <class Archive> void serialize(Archive& ar, unsigned version);

protected:
    // Deliberately the rounded value: the cosine and sine of the samplers use it.
    static constexpr double pi = 3.14159265359;

    CDistribution() = default;
    CDistribution(const CDistribution&) = default;
    CDistribution& operator=(const CDistribution&) = default;

    double mean = 0.0;
};

} // namespace tarlo

BOOST_CLASS_VERSION(tarlo::CDistribution, 1)
