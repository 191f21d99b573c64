#pragma once

#include "project/CElement.h"
#include "vehicles/CDistribution.h"

#include <boost/serialization/export.hpp>

#include <string>
#include <vector>

namespace tarlo {

// A user-tabulated distribution: values with their probabilities. It is also a project
// element of its own, which driver parameters take copies of.
class CDiscreteDist : public CDistribution, public CElement {
public:
    CDiscreteDist();
    // Five rows, all values and probabilities 0.
    CDiscreteDist(int id, std::string name);

    int getType() const override { return Discrete; }
    // The first value whose cumulative probability exceeds the draw; the last value when none
    // does (0 when there are no values).
    double generate(RandomGenerator& rng) const override;
    double getMean() const override { return mean; }
    std::shared_ptr<CDistribution> clone() const override;

    // Each of these ends by rebuilding the cumulative probabilities and the mean.
    void setData(std::vector<double> data);
    void setPMF(std::vector<double> pmf);
    void copy(const CDiscreteDist& other);

    int getID() const { return m_ID; }
    void setID(int id) { m_ID = id; }
    int getSize() const { return size; }
    const std::vector<double>& getData() const { return m_Data; }
    const std::vector<double>& getPMF() const { return m_PMF; }
    const std::vector<double>& getCDF() const { return cdf; }

    template <class Archive> void serialize(Archive& ar, unsigned version);

private:
    void update();

    int m_ID = 0;
    int size = 0;
    std::vector<double> m_Data;
    std::vector<double> m_PMF;
    std::vector<double> cdf;
};

} // namespace tarlo

BOOST_CLASS_VERSION(tarlo::CDiscreteDist, 1)
BOOST_CLASS_EXPORT_KEY2(tarlo::CDiscreteDist, "CDiscreteDist")
