#pragma once

#include "cli/Command.h"

namespace tarlo::cli {

// `tarlo add feature PROJECT TYPE [options]`: a road feature appended to a saved project.
Command addFeatureCommand();

} // namespace tarlo::cli
