#pragma once

#include <utility>
#include <vector>

namespace tarlo {

class CDistribution;

// The (x, y) points that draw a distribution: a discrete one's values and probability
// masses; a constant as a unit spike at its value; a continuous form's density, sampled
// over the range where nearly all of its draws fall. Parameters for which a form has no
// density (a scale that is not positive, say) give no points.
std::vector<std::pair<double, double>> distributionCurve(const CDistribution& dist);

} // namespace tarlo
