#include "vehicles/CDiscreteDist.h"

#include "project/WideString.h"
#include "vehicles/RandomGenerator.h"

#include <boost/archive/xml_iarchive.hpp>
#include <boost/archive/xml_oarchive.hpp>
#include <boost/serialization/base_object.hpp>
#include <boost/serialization/vector.hpp>

#include <algorithm>
#include <utility>

namespace tarlo {

CDiscreteDist::CDiscreteDist() : CElement(DiscreteDistribution, "Discrete Dist.") {}

CDiscreteDist::CDiscreteDist(int id, std::string name)
    : CElement(DiscreteDistribution, std::move(name)), m_ID(id), m_Data(5, 0.0), m_PMF(5, 0.0) {
    update();
}

double CDiscreteDist::generate(RandomGenerator& rng) const {
    const double u = rng.uniform();
    const std::size_t points = std::min(cdf.size(), m_Data.size());
    for (std::size_t i = 0; i < points; ++i) {
        if (u < cdf[i])
            return m_Data[i];
    }
    return m_Data.empty() ? 0.0 : m_Data.back();
}

std::shared_ptr<CDistribution> CDiscreteDist::clone() const {
    return std::make_shared<CDiscreteDist>(*this);
}

void CDiscreteDist::setData(std::vector<double> data) {
    m_Data = std::move(data);
    update();
}

void CDiscreteDist::setPMF(std::vector<double> pmf) {
    m_PMF = std::move(pmf);
    update();
}

void CDiscreteDist::copy(const CDiscreteDist& other) {
    m_Description = other.m_Description;
    m_ElementType = other.m_ElementType;
    m_ID = other.m_ID;
    m_Data = other.m_Data;
    m_PMF = other.m_PMF;
    update();
}

void CDiscreteDist::update() {
    size = static_cast<int>(m_PMF.size());
    cdf.resize(m_PMF.size());
    double sum = 0.0;
    for (std::size_t i = 0; i < m_PMF.size(); ++i) {
        sum += m_PMF[i];
        cdf[i] = sum;
    }
    mean = 0.0;
    if (m_Data.size() == m_PMF.size()) {
        for (std::size_t i = 0; i < m_Data.size(); ++i)
            mean += m_Data[i] * m_PMF[i];
    }
}

// Class version 0 archives have no element part.
template <class Archive> void CDiscreteDist::serialize(Archive& ar, const unsigned version) {
    using boost::serialization::base_object;
    using boost::serialization::make_nvp;
    if (version >= 1)
        ar& make_nvp("CElement", base_object<CElement>(*this));
    ar& make_nvp("CDistribution", base_object<CDistribution>(*this));
    serializeText(ar, "m_Description", m_Description);
    ar& make_nvp("m_ID", m_ID);
    ar& make_nvp("m_Data", m_Data);
    ar& make_nvp("m_PMF", m_PMF);
    if constexpr (Archive::is_loading::value)
        update();
}

template void CDiscreteDist::serialize(boost::archive::xml_oarchive&, unsigned);
template void CDiscreteDist::serialize(boost::archive::xml_iarchive&, unsigned);

} // namespace tarlo
