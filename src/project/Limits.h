#pragma once

#include <cstddef>

namespace tarlo {

// The largest counts and sizes a project may hold. A project file comes from anywhere, and
// these values size the memory of a load, a validation or a run: past a bound a value is
// refused before anything is allocated from it. Each bound is well beyond what a real road
// or study needs.
namespace limits {

// Lanes of one direction, on the road and in the traffic file: the widest motorways have
// a dozen. Every load effect holds one weight per road lane.
constexpr int maxLanesPerDirection = 99;

// Road length (m): a study road is a few kilometres, a long one a few hundred.
constexpr int maxRoadLength = 1'000'000;

// Positions of a space-time detector and location bins of a lane change detector: a
// 10 km road watched every metre. Each one holds a value per lane in every output row.
constexpr long long maxDetectorBins = 10'000;

// Rows of an influence line or a discrete distribution: a 10 km line tabulated every
// millimetre.
constexpr std::size_t maxPoints = 10'000'000;

// Load effects of one bridge, and with them its thresholds (one per load effect): a
// bridge is studied for a handful, a parametric study for hundreds.
constexpr std::size_t maxLoadEffects = 1'000;

// Bridge calculations per simulation step: a step is at most 1 s and a sub-step at least
// 0.005 s, so 200 is the most that is ever useful.
constexpr unsigned maxSubSteps = 1'000;

// Entries of any list in a project file, the longest list above.
constexpr unsigned long long maxListLength = maxPoints;

} // namespace limits

} // namespace tarlo
