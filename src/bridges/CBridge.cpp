#include "bridges/CBridge.h"

#include "bridges/CInfLineDiscrete.h"
#include "engine/Vehicle.h"

#include <boost/archive/xml_iarchive.hpp>
#include <boost/archive/xml_oarchive.hpp>
#include <boost/serialization/base_object.hpp>
#include <boost/serialization/nvp.hpp>
#include <boost/serialization/shared_ptr.hpp>
#include <boost/serialization/vector.hpp>

#include <cmath>

namespace tarlo {

CBridge::CBridge() : CElement(CElement::Bridge, "Bridge") { UpdatePositions(); }

CBridge::CBridge(int id, unsigned roadLength, int lanes, double start, double end)
    : CElement(CElement::Bridge, "Bridge"), m_ID(id), m_NoLanes(lanes), m_RoadLength(roadLength),
      m_Start(start), m_End(end) {
    UpdatePositions();
    AddLoadEffect(std::vector<double>(static_cast<std::size_t>(std::max(lanes, 0)), 1.0));
}

// A copy starts with no vehicles and no current values; it shares the load effects.
CBridge::CBridge(const CBridge& other)
    : CElement(other), m_ID(other.m_ID), m_NoLanes(other.m_NoLanes),
      m_RoadLength(other.m_RoadLength), m_Start(other.m_Start), m_End(other.m_End),
      m_StepsPerSimStep(other.m_StepsPerSimStep), m_SubStepTime(other.m_SubStepTime),
      m_vLoadEffect(other.m_vLoadEffect), m_NoLE(other.m_NoLE), m_EventMgr(other.m_EventMgr) {
    UpdatePositions();
}

CBridge& CBridge::operator=(const CBridge& other) {
    if (this != &other) {
        CElement::operator=(other);
        m_ID = other.m_ID;
        m_NoLanes = other.m_NoLanes;
        m_RoadLength = other.m_RoadLength;
        m_Start = other.m_Start;
        m_End = other.m_End;
        m_StepsPerSimStep = other.m_StepsPerSimStep;
        m_SubStepTime = other.m_SubStepTime;
        m_vLoadEffect = other.m_vLoadEffect;
        m_NoLE = other.m_NoLE;
        m_EventMgr = other.m_EventMgr;
        UpdatePositions();
    }
    return *this;
}

CBridge::~CBridge() { m_EventMgr.Finish(); }

void CBridge::UpdatePositions() {
    m_SpanLength = std::fabs(m_End - m_Start);
    m_EndFar = m_RoadLength - m_End;
    m_StartFar = m_RoadLength - m_Start;
}

void CBridge::Initialize(double simStep, double t0, const CSettings& settings,
                         OutputFiles* outputFiles) {
    m_SubStepTime = m_StepsPerSimStep > 0 ? simStep / m_StepsPerSimStep : 0.0;
    m_EventMgr.Initialize(t0, settings, outputFiles);
    m_NoLE = static_cast<std::int32_t>(m_vLoadEffect.size());
    for (const auto& loadEffect : m_vLoadEffect)
        loadEffect->SetBridgeExtent(m_Start, m_End);
}

void CBridge::Update(double time) {
    if (m_vVehicles.empty() || m_StepsPerSimStep == 0)
        return;
    const std::size_t effects = m_vLoadEffect.size();
    m_vValues.resize(effects);
    for (std::uint32_t i = 0; i < m_StepsPerSimStep; ++i) {
        const double offset = i * m_SubStepTime;
        std::fill(m_vValues.begin(), m_vValues.end(), 0.0);
        // Every load effect measures from the bridge start, which Initialize gave each.
        for (const Vehicle* vehicle : m_vVehicles) {
            m_AxleLoads.Place(*vehicle, vehicle->speed * offset, m_Start);
            for (std::size_t j = 0; j < effects; ++j)
                m_vValues[j] += m_vLoadEffect[j]->CalcLoadEffect(m_AxleLoads);
        }
        m_CurTime = time + offset;
        m_EventMgr.Update(m_CurTime, m_vValues);
    }
    m_vCurValues = m_vValues;
}

void CBridge::AddLoadEffect(std::vector<double> laneWeights) {
    ++m_NoLE;
    m_vLoadEffect.push_back(
        std::make_shared<CLoadEffect>(m_NoLE, std::move(laneWeights), m_Start, m_End));
    m_EventMgr.AddLoadEffectThresholds();
}

void CBridge::DeleteLoadEffect(std::size_t index) {
    if (index >= m_vLoadEffect.size())
        return;
    m_vLoadEffect.erase(m_vLoadEffect.begin() + static_cast<std::ptrdiff_t>(index));
    --m_NoLE;
    m_EventMgr.DeleteLoadEffectThresholds(index);
}

void CBridge::SetNoLanes(int lanes) {
    if (lanes == m_NoLanes)
        return;
    // More lanes extend the shorter weight lists with 1.0; fewer lanes cut the longer ones.
    const auto n = static_cast<std::size_t>(std::max(lanes, 0));
    const bool more = lanes > m_NoLanes;
    for (const auto& loadEffect : m_vLoadEffect) {
        const std::size_t size = loadEffect->LaneWeights().size();
        if (more ? size < n : size > n)
            loadEffect->ResizeLaneWeights(n);
    }
    m_NoLanes = lanes;
}

void CBridge::UpdateDiscreteIL(const CInfLineDiscrete& line) {
    for (const auto& loadEffect : m_vLoadEffect) {
        const auto& current = loadEffect->GetInfLine();
        if (current && current->GetType() == CInfluenceLine::IL_DISCRETE &&
            static_cast<const CInfLineDiscrete&>(*current).GetID() == line.GetID()) {
            loadEffect->SetInfLine(line);
            return;
        }
    }
}

void CBridge::SetOutputPath(const std::string& path) {
    LoadEffectList loadEffects(m_vLoadEffect.begin(), m_vLoadEffect.end());
    m_EventMgr.SetOutput(m_ID, path, m_Start, m_End, std::move(loadEffects));
}

template <class Archive> void CBridge::save(Archive& ar, const unsigned /*version*/) const {
    ar& boost::serialization::make_nvp("CElement",
                                        boost::serialization::base_object<CElement>(*this));
    ar& BOOST_SERIALIZATION_NVP(m_Start);
    ar& BOOST_SERIALIZATION_NVP(m_End);
    ar& BOOST_SERIALIZATION_NVP(m_RoadLength);
    ar& BOOST_SERIALIZATION_NVP(m_NoLanes);
    ar& BOOST_SERIALIZATION_NVP(m_StepsPerSimStep);
    ar& BOOST_SERIALIZATION_NVP(m_NoLE);
    ar& BOOST_SERIALIZATION_NVP(m_vLoadEffect);
    ar& BOOST_SERIALIZATION_NVP(m_EventMgr);
    ar& BOOST_SERIALIZATION_NVP(m_ID);
}

template <class Archive> void CBridge::load(Archive& ar, const unsigned version) {
    ar& boost::serialization::make_nvp("CElement",
                                        boost::serialization::base_object<CElement>(*this));
    ar& BOOST_SERIALIZATION_NVP(m_Start);
    ar& BOOST_SERIALIZATION_NVP(m_End);
    ar& BOOST_SERIALIZATION_NVP(m_RoadLength);
    ar& BOOST_SERIALIZATION_NVP(m_NoLanes);
    ar& BOOST_SERIALIZATION_NVP(m_StepsPerSimStep);
    ar& BOOST_SERIALIZATION_NVP(m_NoLE);
    ar& BOOST_SERIALIZATION_NVP(m_vLoadEffect);
    ar& BOOST_SERIALIZATION_NVP(m_EventMgr);
    if (version >= 1)
        ar& BOOST_SERIALIZATION_NVP(m_ID);
    UpdatePositions();
}

template void CBridge::save(boost::archive::xml_oarchive&, unsigned) const;
template void CBridge::load(boost::archive::xml_iarchive&, unsigned);

} // namespace tarlo

BOOST_CLASS_EXPORT_IMPLEMENT(tarlo::CBridge)
