#pragma once

#include <boost/serialization/access.hpp>
#include <boost/serialization/split_member.hpp>
#include <boost/serialization/version.hpp>

#include <memory>
#include <span>
#include <string_view>

namespace tarlo {

class CDiscreteDist;
class CDistribution;
class RandomGenerator;

// One random driver parameter: its kind and the distribution its values are drawn from. The
// distribution is the parameter's own; copies take clones.
class CParameter {
public:
    enum Kind : int {
        T = 300,
        A = 301,
        B = 302,
        S0 = 303,
        S1 = 304,
        V0 = 305,
        Delta = 306,
        Polite = 307,
        Bias = 308,
        DeltaAth = 309
    };

    // Starts with the default distribution of the kind, so there is always one to draw from.
    explicit CParameter(int kind);
    CParameter(const CParameter& other);
    CParameter& operator=(const CParameter& other);
    CParameter(CParameter&&) = default;
    CParameter& operator=(CParameter&&) = default;
    virtual ~CParameter() = default;

    // The default distribution of the kind: a normal distribution for T, a, b, s0, s1 and
    // v0, a constant for the others.
    void setDefaults();
    // The grid's choice of "Constant" (100) or "Discrete" (101); 1 asks the caller to pick a
    // discrete distribution and pass it to setDiscrete.
    int setKind(int kind);
    // A continuous distribution of the given form that keeps what it can of the current one.
    void setForm(int form);
    // Takes a copy of one of the project's discrete distributions.
    void setDiscrete(const CDiscreteDist& dist);

    // One draw, used as it comes.
    double draw(RandomGenerator& rng) const;
    // Draws until the value is not negative. A distribution that keeps giving negative values
    // gives 0 after MaxDraws draws instead of holding the run up for ever.
    double drawNonNegative(RandomGenerator& rng) const;
    static constexpr int MaxDraws = 1000;

    int getID() const { return m_ID; }
    std::shared_ptr<CDistribution> getDistribution() const { return m_pDistribution; }
    double getLastValue() const { return lastValue; }

    // The parameter grid's row label of a kind, e.g. "Safe time headway, T (s)".
    static std::string_view label(int kind);
    // The grid's distribution choices, in the order the grid offers them.
    static std::span<const std::string_view> distributionChoices();

    template <class Archive> void save(Archive& ar, unsigned version) const;
    template <class Archive> void load(Archive& ar, unsigned version);
    BOOST_SERIALIZATION_SPLIT_MEMBER()

private:
    std::shared_ptr<CDistribution> m_pDistribution;
    int m_ID;
    // The value drawn for the most recent vehicle.
    mutable double lastValue = 0.0;
    // What setDefaults chose; kept for switching between distribution kinds.
    double location = 0.0;
    double scale = 0.0;
    double shape = 0.0;
    int defaultKind = 102;
    int defaultForm = 206;
};

} // namespace tarlo

BOOST_CLASS_VERSION(tarlo::CParameter, 1)
