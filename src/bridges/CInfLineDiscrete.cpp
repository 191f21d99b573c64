#include "bridges/CInfLineDiscrete.h"

#include "project/WideString.h"

#include <boost/archive/xml_iarchive.hpp>
#include <boost/archive/xml_oarchive.hpp>
#include <boost/serialization/base_object.hpp>
#include <boost/serialization/nvp.hpp>
#include <boost/serialization/vector.hpp>

#include <algorithm>
#include <utility>

namespace tarlo {

CInfLineDiscrete::CInfLineDiscrete()
    : CInfluenceLine(IL_DISCRETE, 0.0), CElement(InfluenceLine, "Discrete IL") {}

CInfLineDiscrete::CInfLineDiscrete(int id, std::string name)
    : CInfluenceLine(IL_DISCRETE, 0.0), CElement(InfluenceLine, std::move(name)),
      m_ID(id), m_vDistance{0.0, 10.0, 20.0, 30.0, 40.0}, m_vOrdinate(5, 1.0) {
    Update();
}

std::shared_ptr<CInfluenceLine> CInfLineDiscrete::Clone() const {
    return std::make_shared<CInfLineDiscrete>(*this);
}

// The last ordinate holds within the end tolerance of the length, the others from the
// first distance to the length.
CInfluenceLine::Reach CInfLineDiscrete::Support() const {
    if (m_Usable == 0)
        return {1.0, 0.0};
    return {std::min(m_vDistance[0], m_Length - EndTolerance), m_Length + EndTolerance};
}

double CInfLineDiscrete::GetOrdinate(double x) const {
    const std::size_t n = m_Usable;
    if (n == 0)
        return 0.0;
    const double* d = m_vDistance.data();
    const double* o = m_vOrdinate.data();
    const double L = m_Length;
    if (x >= L - EndTolerance && x <= L + EndTolerance)
        return o[n - 1];
    if (x < d[0] || x > L)
        return 0.0;
    // The first point beyond x; d[0] <= x, so it is never point 0.
    std::size_t i = 0;
    if (m_bAscending) {
        i = static_cast<std::size_t>(std::upper_bound(d, d + n, x) - d);
    } else {
        while (i < n && !(x < d[i]))
            ++i;
    }
    if (i >= n)
        return 0.0;
    return o[i - 1] + (x - d[i - 1]) * (o[i] - o[i - 1]) / (d[i] - d[i - 1]);
}

double CInfLineDiscrete::WeightedSum(std::span<const double> abscissae,
                                     std::span<const double> weights) const {
    double sum = 0.0;
    for (std::size_t k = 0; k < abscissae.size(); ++k)
        sum += CInfLineDiscrete::GetOrdinate(abscissae[k]) * weights[k];
    return sum;
}

void CInfLineDiscrete::SetDistances(std::vector<double> distances) {
    m_vDistance = std::move(distances);
    Update();
}

void CInfLineDiscrete::SetOrdinates(std::vector<double> ordinates) {
    m_vOrdinate = std::move(ordinates);
    Update();
}

void CInfLineDiscrete::SetPoints(std::vector<double> distances, std::vector<double> ordinates) {
    m_vDistance = std::move(distances);
    m_vOrdinate = std::move(ordinates);
    Update();
}

void CInfLineDiscrete::SetDistance(std::size_t index, double distance) {
    if (index >= m_vDistance.size())
        return;
    m_vDistance[index] = distance;
    Update();
}

void CInfLineDiscrete::SetOrdinate(std::size_t index, double ordinate) {
    if (index >= m_vOrdinate.size())
        return;
    m_vOrdinate[index] = ordinate;
}

void CInfLineDiscrete::AddPoint(double distance, double ordinate) {
    m_vDistance.push_back(distance);
    m_vOrdinate.push_back(ordinate);
    Update();
}

void CInfLineDiscrete::DeletePoint(std::size_t index) {
    if (index < m_vDistance.size())
        m_vDistance.erase(m_vDistance.begin() + static_cast<std::ptrdiff_t>(index));
    if (index < m_vOrdinate.size())
        m_vOrdinate.erase(m_vOrdinate.begin() + static_cast<std::ptrdiff_t>(index));
    Update();
}

void CInfLineDiscrete::Update() {
    m_Type = IL_DISCRETE;
    m_NoPoints = static_cast<int>(m_vDistance.size());
    m_Length = m_vDistance.empty() ? 0.0 : m_vDistance.back();
    m_Usable = std::min(m_vDistance.size(), m_vOrdinate.size());
    // Written so that a NaN distance counts as out of order.
    m_bAscending = true;
    for (std::size_t i = 1; i < m_Usable && m_bAscending; ++i)
        m_bAscending = m_vDistance[i] >= m_vDistance[i - 1];
}

// The description is written twice, once in the element part and once on its own; on
// loading the later one wins.
template <class Archive> void CInfLineDiscrete::serialize(Archive& ar, const unsigned /*version*/) {
    using boost::serialization::base_object;
    using boost::serialization::make_nvp;
    ar& make_nvp("CElement", base_object<CElement>(*this));
    ar& make_nvp("CInfluenceLine", base_object<CInfluenceLine>(*this));
    serializeText(ar, "m_Description", m_Description);
    ar& make_nvp("m_ID", m_ID);
    ar& make_nvp("m_vDistance", m_vDistance);
    ar& make_nvp("m_vOrdinate", m_vOrdinate);
    if constexpr (Archive::is_loading::value) {
        m_ElementType = InfluenceLine;
        Update();
    }
}

template void CInfLineDiscrete::serialize(boost::archive::xml_oarchive&, unsigned);
template void CInfLineDiscrete::serialize(boost::archive::xml_iarchive&, unsigned);

} // namespace tarlo
