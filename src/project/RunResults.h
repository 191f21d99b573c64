#pragma once

#include "bridges/LoadEffectTally.h"

#include <string>
#include <vector>

namespace tarlo {

// The output files of one runtime detector, with the element it was made from.
struct DetectorFiles {
    std::string description;
    // The kind label, e.g. "Flow & Density".
    std::string kind;
    std::vector<std::string> files;
};

// What a run produced, gathered while it ran and kept once its road has been cleared: the
// tally of every bridge, in bridge number order, and the files of every detector, in
// element order. Muted bridges or detectors leave their list empty.
struct RunResults {
    std::vector<BridgeTally> bridges;
    std::vector<DetectorFiles> detectors;
};

} // namespace tarlo
