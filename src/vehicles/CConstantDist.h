#pragma once

#include "vehicles/CDistribution.h"

#include <boost/serialization/export.hpp>

namespace tarlo {

// Always the same value.
class CConstantDist : public CDistribution {
public:
    explicit CConstantDist(double value = 0.0) : m_Value(value) {}

    int getType() const override { return Constant; }
    double generate(RandomGenerator& rng) const override;
    double getMean() const override { return m_Value; }
    std::shared_ptr<CDistribution> clone() const override;

    double getValue() const { return m_Value; }
    void setValue(double value) { m_Value = value; }

    template <class Archive> void serialize(Archive& ar, unsigned version);

private:
    double m_Value;
};

} // namespace tarlo

BOOST_CLASS_VERSION(tarlo::CConstantDist, 0)
BOOST_CLASS_EXPORT_KEY2(tarlo::CConstantDist, "CConstantDist")
