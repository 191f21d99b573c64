#pragma once

#include "cli/Command.h"

namespace tarlo::cli {

// `tarlo import-il PROJECT FILE`: the discrete influence lines of an import file appended
// to a saved project.
Command importILCommand();

} // namespace tarlo::cli
