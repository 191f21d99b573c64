#pragma once

#include "bridges/CInfluenceLine.h"
#include "engine/Vehicle.h"
#include "project/CElement.h"

#include <boost/serialization/access.hpp>
#include <boost/serialization/version.hpp>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

namespace tarlo {

class CInfLineDiscrete;

// One vehicle's axles where a calculation sub-step puts them: their abscissae on the
// influence lines of a bridge (from the bridge start, towards increasing global x), in axle
// order, with their weights. Placed once per vehicle and sub-step for all the load effects
// of the bridge; keeps its memory from one placing to the next.
class AxleLoads {
public:
    // The vehicle advanced `advance` metres along its direction of travel.
    void Place(const Vehicle& vehicle, double advance, double bridgeStart) {
        const double d = vehicle.dirPositive ? -1.0 : 1.0;
        const double x0 = vehicle.globalPosition() - d * advance - bridgeStart;
        m_LaneIndex = static_cast<std::size_t>(vehicle.lane - 1);
        const std::size_t axles = vehicle.axles.size();
        m_vAbscissae.resize(axles);
        m_vWeights.resize(axles);
        m_Lowest = HUGE_VAL;
        m_Highest = -HUGE_VAL;
        for (std::size_t k = 0; k < axles; ++k) {
            const Axle& axle = vehicle.axles[k];
            const double x = x0 + d * axle.position;
            m_vAbscissae[k] = x;
            m_vWeights[k] = axle.weight;
            m_Lowest = std::min(m_Lowest, x);
            m_Highest = std::max(m_Highest, x);
        }
    }

    // The vehicle's lane number − 1 (the lane weight index).
    std::size_t LaneIndex() const { return m_LaneIndex; }
    std::span<const double> Abscissae() const { return m_vAbscissae; }
    std::span<const double> Weights() const { return m_vWeights; }
    // True when every axle lies before the stretch, or every axle beyond it.
    bool Misses(CInfluenceLine::Reach reach) const {
        return m_Highest < reach.first || m_Lowest > reach.last;
    }

private:
    std::size_t m_LaneIndex = 0;
    std::vector<double> m_vAbscissae;
    std::vector<double> m_vWeights;
    double m_Lowest = HUGE_VAL;
    double m_Highest = -HUGE_VAL;
};

// One load effect of a bridge: an influence line and a weight per road lane. Its value for
// a vehicle is the sum over the axles of axle weight × ordinate, times the weight of the
// vehicle's lane.
class CLoadEffect : public CElement {
public:
    CLoadEffect();
    // A load effect of the given lane weights with the built-in "Total load on beam" line
    // over the bridge.
    CLoadEffect(int id, std::vector<double> laneWeights, double bridgeStart, double bridgeEnd);

    // The value of the vehicle advanced `advance` metres along its direction of travel.
    double CalcLoadEffect(const Vehicle& vehicle, double advance) const {
        AxleLoads loads;
        loads.Place(vehicle, advance, m_BridgeStart);
        return CalcLoadEffect(loads);
    }
    // The value of the placed vehicle. A lane without weight, or a load effect without
    // influence line, contributes nothing.
    double CalcLoadEffect(const AxleLoads& loads) const {
        const std::size_t laneIndex = loads.LaneIndex();
        if (!m_pInfLine || laneIndex >= m_vLaneWeights.size())
            return 0.0;
        // A vehicle whose axles are all before or all beyond the line adds 0 for each (a sum
        // of zeros is +0, and adding it changes no value): its ordinates are not looked up.
        if (loads.Misses(m_pInfLine->Support()))
            return 0.0;
        return m_vLaneWeights[laneIndex] *
               m_pInfLine->WeightedSum(loads.Abscissae(), loads.Weights());
    }

    // Run start: the bridge's current extent; a built-in line takes the span length.
    void SetBridgeExtent(double start, double end);
    void SetInfLine(const CInfLineDiscrete& line);
    void SetDefaultFunction();
    void SetILType(std::string_view typeName);
    void SetILByName(std::string_view name,
                     const std::vector<std::shared_ptr<CInfLineDiscrete>>& discreteLines);
    // Extends with weights of 1.0 or cuts the weight list to n lanes.
    void ResizeLaneWeights(std::size_t n);

    int GetID() const { return m_ID; }
    const std::shared_ptr<CInfluenceLine>& GetInfLine() const { return m_pInfLine; }
    std::vector<double>& LaneWeights() { return m_vLaneWeights; }
    const std::vector<double>& LaneWeights() const { return m_vLaneWeights; }
    double GetBridgeStart() const { return m_BridgeStart; }
    double GetBridgeEnd() const { return m_BridgeEnd; }
    double GetSpanLength() const { return m_SpanLength; }

    template <class Archive> void serialize(Archive& ar, unsigned version);

private:
    friend class boost::serialization::access;

    std::shared_ptr<CInfluenceLine> m_pInfLine;
    std::vector<double> m_vLaneWeights;
    int m_ID = 0;
    double m_BridgeStart = 0.0;
    double m_BridgeEnd = 0.0;
    double m_SpanLength = 0.0;
};

} // namespace tarlo

BOOST_CLASS_VERSION(tarlo::CLoadEffect, 2)
