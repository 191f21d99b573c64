#pragma once

#include "engine/Vehicle.h"
#include "engine/features/RoadSegment.h"

namespace tarlo {

class CSettings;

// A stretch of one lane closed to traffic: a vehicle that never moves, standing with its
// front at the end of the stretch and as long as the stretch. As a segment it changes no
// driver. The lane that holds it owns it.
class Obstacle : public Vehicle, public ControlSegment {
public:
    // The element's value is the direction lane number to close (its whole part); a value
    // that is no lane number gives lane 0, which no road has.
    Obstacle(const CRoadFeature& element, const CSettings& settings);

    // Also stands the vehicle on the stretch.
    void locate(int lengthOfRoad) override;

private:
    void standOnStretch();
};

} // namespace tarlo
