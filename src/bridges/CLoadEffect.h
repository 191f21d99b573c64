#pragma once

#include "bridges/CInfluenceLine.h"
#include "engine/Vehicle.h"
#include "project/CElement.h"

#include <boost/serialization/access.hpp>
#include <boost/serialization/version.hpp>

#include <memory>
#include <string_view>
#include <vector>

namespace tarlo {

class CInfLineDiscrete;

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
    // A lane without weight, or a load effect without influence line, contributes nothing.
    double CalcLoadEffect(const Vehicle& vehicle, double advance) const {
        const auto laneIndex = static_cast<std::size_t>(vehicle.lane - 1);
        if (!m_pInfLine || laneIndex >= m_vLaneWeights.size())
            return 0.0;
        const double d = vehicle.dirPositive ? -1.0 : 1.0;
        const double x0 = vehicle.globalPosition - d * advance - m_BridgeStart;
        // A vehicle whose axles are all before or all beyond the line adds 0 for each (a sum
        // of zeros is +0, and adding it changes no value): its ordinates are not looked up.
        const auto [first, last] = m_pInfLine->Support();
        bool allBefore = true, allBeyond = true;
        for (const Axle& axle : vehicle.axles) {
            const double x = x0 + d * axle.position;
            allBefore = allBefore && x < first;
            allBeyond = allBeyond && x > last;
        }
        if (allBefore || allBeyond)
            return 0.0;
        double sum = 0.0;
        for (const Axle& axle : vehicle.axles)
            sum += m_pInfLine->GetOrdinate(x0 + d * axle.position) * axle.weight;
        return m_vLaneWeights[laneIndex] * sum;
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
