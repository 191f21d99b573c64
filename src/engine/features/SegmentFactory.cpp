#include "engine/features/SegmentFactory.h"

#include "engine/features/DriverFeatures.h"
#include "engine/features/Obstacle.h"
#include "engine/features/SpeedLimit.h"
#include "project/CRoadFeature.h"

namespace tarlo {

namespace {

std::unique_ptr<ControlSegment> build(const CRoadFeature& element, const CSettings& settings) {
    switch (element.getType()) {
    case CRoadFeature::SpeedLimit:
        return std::make_unique<SpeedLimit>(element);
    case CRoadFeature::Gradient:
        return std::make_unique<Gradient>(element);
    case CRoadFeature::Obstacle:
        return std::make_unique<Obstacle>(element, settings);
    case CRoadFeature::Politeness:
        return std::make_unique<Politeness>(element);
    case CRoadFeature::Bias:
        return std::make_unique<Bias>(element);
    case CRoadFeature::LaneChangeBan:
        return std::make_unique<LaneChangeBan>(element);
    case CRoadFeature::GapControl:
        return std::make_unique<Gap>(element);
    default:
        return nullptr;
    }
}

} // namespace

std::unique_ptr<RoadSegment> makeRoadSegment(const CRoadFeature& element, const CSettings& settings,
                                             const CVehicleTypes* vehicleTypes,
                                             RandomGenerator& featureRng) {
    std::unique_ptr<ControlSegment> segment = build(element, settings);
    if (segment) {
        segment->vehicleTypes = vehicleTypes;
        segment->featureRng = &featureRng;
    }
    return segment;
}

} // namespace tarlo
