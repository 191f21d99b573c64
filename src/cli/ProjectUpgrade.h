#pragma once

#include "cli/Command.h"

namespace tarlo::cli {

// `tarlo upgrade OLD [NEW] [options]`: a project of any revision saved as a current one.
Command projectUpgradeCommand();

} // namespace tarlo::cli
