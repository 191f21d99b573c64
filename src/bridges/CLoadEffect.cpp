#include "bridges/CLoadEffect.h"

#include "bridges/CInfLineDiscrete.h"
#include "bridges/CInfLineFunction.h"

#include <boost/archive/xml_iarchive.hpp>
#include <boost/archive/xml_oarchive.hpp>
#include <boost/serialization/base_object.hpp>
#include <boost/serialization/nvp.hpp>
#include <boost/serialization/shared_ptr.hpp>
#include <boost/serialization/vector.hpp>

#include <cmath>

namespace tarlo {

CLoadEffect::CLoadEffect() : CElement(CElement::LoadEffect, "Load Effect") {}

CLoadEffect::CLoadEffect(int id, std::vector<double> laneWeights, double bridgeStart,
                         double bridgeEnd)
    : CElement(CElement::LoadEffect, "Load Effect"), m_vLaneWeights(std::move(laneWeights)),
      m_ID(id), m_BridgeStart(bridgeStart), m_BridgeEnd(bridgeEnd),
      m_SpanLength(std::fabs(bridgeEnd - bridgeStart)) {
    SetDefaultFunction();
}

void CLoadEffect::SetBridgeExtent(double start, double end) {
    m_BridgeStart = start;
    m_BridgeEnd = end;
    m_SpanLength = std::fabs(end - start);
    if (m_pInfLine && m_pInfLine->GetType() == CInfluenceLine::IL_FUNCTION)
        static_cast<CInfLineFunction&>(*m_pInfLine).SetLength(m_SpanLength);
}

void CLoadEffect::SetInfLine(const CInfLineDiscrete& line) {
    m_pInfLine = std::make_shared<CInfLineDiscrete>(line);
}

void CLoadEffect::SetDefaultFunction() {
    m_pInfLine = std::make_shared<CInfLineFunction>(CInfLineFunction::TotalLoad, m_SpanLength);
}

void CLoadEffect::SetILType(std::string_view typeName) {
    m_pInfLine.reset();
    if (typeName == "Function")
        SetDefaultFunction();
    else
        m_pInfLine = std::make_shared<CInfLineDiscrete>();
}

void CLoadEffect::SetILByName(std::string_view name,
                              const std::vector<std::shared_ptr<CInfLineDiscrete>>& lines) {
    if (!m_pInfLine)
        return;
    if (m_pInfLine->GetType() == CInfluenceLine::IL_FUNCTION) {
        static_cast<CInfLineFunction&>(*m_pInfLine).SetFormByName(name);
        return;
    }
    for (const auto& line : lines) {
        if (line && line->getDescription() == name) {
            SetInfLine(*line);
            return;
        }
    }
}

void CLoadEffect::ResizeLaneWeights(std::size_t n) { m_vLaneWeights.resize(n, 1.0); }

template <class Archive> void CLoadEffect::serialize(Archive& ar, const unsigned version) {
    ar& boost::serialization::make_nvp("CElement", boost::serialization::base_object<CElement>(*this));
    ar& BOOST_SERIALIZATION_NVP(m_ID);
    // Older projects stored the bridge extent with each load effect; runs set it afresh.
    if (version < 2) {
        ar& BOOST_SERIALIZATION_NVP(m_BridgeStart);
        ar& BOOST_SERIALIZATION_NVP(m_BridgeEnd);
        m_SpanLength = std::fabs(m_BridgeEnd - m_BridgeStart);
    }
    ar& BOOST_SERIALIZATION_NVP(m_vLaneWeights);
    ar& BOOST_SERIALIZATION_NVP(m_pInfLine);
}

template void CLoadEffect::serialize(boost::archive::xml_oarchive&, unsigned);
template void CLoadEffect::serialize(boost::archive::xml_iarchive&, unsigned);

} // namespace tarlo
