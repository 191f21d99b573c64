#pragma once

#include "cli/Command.h"

namespace tarlo::cli {

// `tarlo add bridge PROJECT --start X --end X [options]`: a bridge with its first load
// effect appended to a saved project.
Command addBridgeCommand();

// `tarlo add load-effect PROJECT --bridge ID (--function FORM | --discrete NAME) [options]`:
// a further load effect of one of the project's bridges.
Command addLoadEffectCommand();

} // namespace tarlo::cli
