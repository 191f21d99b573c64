#pragma once

#include "vehicles/CDistribution.h"

#include <boost/serialization/export.hpp>

#include <string_view>

namespace tarlo {

// A parametric distribution: one of eight forms given by location, scale and shape.
class CContinuousDist : public CDistribution {
public:
    enum Form : int {
        Exponential = 200,
        LogNormal = 201,
        Gamma = 202,
        Gumbel = 203,
        Poisson = 204,
        GEV = 205,
        Normal = 206,
        Uniform = 207
    };

    explicit CContinuousDist(int form = Normal, double location = 10.0, double scale = 2.0,
                             double shape = 0.0);

    int getType() const override { return Continuous; }
    // A form code outside the eight forms always gives the location.
    double generate(RandomGenerator& rng) const override;
    double getMean() const override { return m_Location; }
    std::shared_ptr<CDistribution> clone() const override;

    int getForm() const { return m_DistForm; }
    void setForm(int form) { m_DistForm = form; }
    double getLocation() const { return m_Location; }
    void setLocation(double location) { m_Location = location; }
    double getScale() const { return m_Scale; }
    void setScale(double scale) { m_Scale = scale; }
    double getShape() const { return m_Shape; }
    void setShape(double shape) { m_Shape = shape; }

    // "Exponential" … "Uniform"; a code outside the forms is shown as "Normal".
    static std::string_view formLabel(int form);

    template <class Archive> void serialize(Archive& ar, unsigned version);

private:
    double gamma(RandomGenerator& rng) const;

    int m_DistForm;
    double m_Location;
    double m_Scale;
    double m_Shape;
};

} // namespace tarlo

BOOST_CLASS_VERSION(tarlo::CContinuousDist, 0)
BOOST_CLASS_EXPORT_KEY2(tarlo::CContinuousDist, "CContinuousDist")
