#pragma once

#include "engine/features/RoadSegment.h"

#include <memory>

namespace tarlo {

class CSettings;

// The runtime segment of a road-feature element, given the road's vehicle types and the
// run's road-feature generator; null for an element type without one.
std::unique_ptr<RoadSegment> makeRoadSegment(const CRoadFeature& element, const CSettings& settings,
                                             const CVehicleTypes* vehicleTypes,
                                             RandomGenerator& featureRng);

} // namespace tarlo
