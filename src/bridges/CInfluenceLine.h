#pragma once

#include <boost/serialization/access.hpp>
#include <boost/serialization/version.hpp>

#include <memory>
#include <span>
#include <string_view>

namespace tarlo {

// The value of one load effect for a unit point load standing at abscissa x, in metres from
// the bridge start. Held by shared pointer; a line can hand out a shared pointer to itself.
class CInfluenceLine : public std::enable_shared_from_this<CInfluenceLine> {
public:
    enum Kind : int { IL_FUNCTION = 600, IL_DISCRETE = 601 };

    virtual ~CInfluenceLine() = default;

    // A copy of the same kind with the same data.
    virtual std::shared_ptr<CInfluenceLine> Clone() const = 0;
    // Evaluated for every axle, load effect and calculation sub-step of a run, so it
    // allocates nothing and changes nothing.
    virtual double GetOrdinate(double x) const = 0;
    // The ordinate at each abscissa times its weight, summed in order from the first: the
    // load of a vehicle's axles, with one call per vehicle instead of one per axle.
    virtual double WeightedSum(std::span<const double> abscissae,
                               std::span<const double> weights) const = 0;
    // The stretch outside which every ordinate is 0 (empty, first > last, for a line with
    // no ordinates at all): an axle outside it adds nothing.
    struct Reach {
        double first;
        double last;
    };
    virtual Reach Support() const = 0;

    int GetType() const { return m_Type; }
    double GetLength() const { return m_Length; }
    // "Function" for a built-in line, "Discrete" for any other.
    std::string_view GetTypeName() const;

    template <class Archive> void serialize(Archive& ar, unsigned version);

protected:
    CInfluenceLine(int type, double length) : m_Type(type), m_Length(length) {}
    CInfluenceLine(const CInfluenceLine&) = default;
    CInfluenceLine& operator=(const CInfluenceLine&) = default;

    int m_Type;
    double m_Length;
};

} // namespace tarlo

BOOST_CLASS_VERSION(tarlo::CInfluenceLine, 0)
