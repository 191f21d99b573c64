#pragma once

#include "bridges/CEventManager.h"
#include "bridges/CLoadEffect.h"
#include "project/CElement.h"

#include <boost/serialization/access.hpp>
#include <boost/serialization/export.hpp>
#include <boost/serialization/split_member.hpp>
#include <boost/serialization/version.hpp>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tarlo {

class CInfLineDiscrete;
class CSettings;
class OutputFiles;
class Vehicle;

// A bridge between two global abscissae. During a run it lists the vehicles near it and
// computes, at every calculation sub-step, the value of each of its load effects, which its
// event manager writes out. The run works on a copy that shares the load effects.
class CBridge : public CElement {
public:
    CBridge();
    // A bridge with one load effect weighting every lane 1.0.
    CBridge(int id, unsigned roadLength, int lanes, double start, double end);
    CBridge(const CBridge& other);
    CBridge& operator=(const CBridge& other);
    // A run copy that goes finishes its outputs (a second finish changes nothing).
    ~CBridge() override;

    // Run start; the outputs report their files to the run's record (may be null).
    void Initialize(double simStep, double t0, const CSettings& settings,
                    OutputFiles* outputFiles = nullptr);
    void Update(double time);
    // End of the traffic: every output is completed.
    void Finish() { m_EventMgr.Finish(); }
    // What the run has made of each load effect so far.
    BridgeTally Tally() const {
        return {m_ID, getDescription(), m_Start, m_End, m_EventMgr.Tally()};
    }

    void AddLoadEffect(std::vector<double> laneWeights);
    void DeleteLoadEffect(std::size_t index);
    void SetNoLanes(int lanes);
    void UpdateDiscreteIL(const CInfLineDiscrete& line);
    void SetOutputPath(const std::string& path);

    // Vehicle tracking by the lanes: a vehicle is listed while its front is within the
    // bridge-on buffer of the bridge, in its own direction's coordinates.
    void AddVehicle(const Vehicle* vehicle) { m_vVehicles.push_back(vehicle); }
    void RemoveVehicle(const Vehicle* vehicle) {
        const auto it = std::find(m_vVehicles.begin(), m_vVehicles.end(), vehicle);
        if (it != m_vVehicles.end())
            m_vVehicles.erase(it);
    }
    // The zone start and end in the coordinates of the given direction.
    double ZoneStart(bool positive) const { return positive ? m_Start : m_EndFar; }
    double ZoneEnd(bool positive) const { return positive ? m_End : m_StartFar; }

    void SetStart(double start) {
        m_Start = start;
        UpdatePositions();
    }
    void SetEnd(double end) {
        m_End = end;
        UpdatePositions();
    }
    void SetRoadLength(unsigned length) {
        m_RoadLength = length;
        UpdatePositions();
    }
    void SetID(int id) { m_ID = id; }
    void SetStepsPerSimStep(unsigned steps) { m_StepsPerSimStep = steps; }

    int GetID() const { return m_ID; }
    int GetNoLanes() const { return m_NoLanes; }
    int GetNoLE() const { return m_NoLE; }
    double GetStart() const { return m_Start; }
    double GetEnd() const { return m_End; }
    double GetSpanLength() const { return m_SpanLength; }
    unsigned GetStepsPerSimStep() const { return m_StepsPerSimStep; }
    double GetSubStepTime() const { return m_SubStepTime; }
    double GetCurTime() const { return m_CurTime; }
    const std::vector<double>& GetCurValues() const { return m_vCurValues; }
    const std::vector<const Vehicle*>& GetVehicles() const { return m_vVehicles; }
    const std::vector<std::shared_ptr<CLoadEffect>>& GetLoadEffects() const {
        return m_vLoadEffect;
    }
    CEventManager& EventManager() { return m_EventMgr; }
    const CEventManager& EventManager() const { return m_EventMgr; }

    template <class Archive> void save(Archive& ar, unsigned version) const;
    template <class Archive> void load(Archive& ar, unsigned version);
    BOOST_SERIALIZATION_SPLIT_MEMBER()

private:
    friend class boost::serialization::access;
    void UpdatePositions();

    std::vector<const Vehicle*> m_vVehicles;
    std::int32_t m_ID = 0;
    std::int32_t m_NoLanes = 1;
    std::uint32_t m_RoadLength = 0;
    double m_SpanLength = 0.0;
    double m_Start = 500.0;
    double m_End = 1000.0;
    double m_EndFar = 0.0;
    double m_StartFar = 0.0;
    std::uint32_t m_StepsPerSimStep = 1;
    double m_SubStepTime = 0.0;
    std::vector<std::shared_ptr<CLoadEffect>> m_vLoadEffect;
    std::int32_t m_NoLE = 0;
    CEventManager m_EventMgr;
    double m_CurTime = 0.0;
    std::vector<double> m_vCurValues;
    // Scratch for the values of one sub-step and the axles of one vehicle, kept to avoid an
    // allocation per step.
    std::vector<double> m_vValues;
    AxleLoads m_AxleLoads;
};

} // namespace tarlo

BOOST_CLASS_VERSION(tarlo::CBridge, 1)
BOOST_CLASS_EXPORT_KEY2(tarlo::CBridge, "CBridge")
