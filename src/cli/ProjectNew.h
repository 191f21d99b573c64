#pragma once

#include "cli/Command.h"

namespace tarlo::cli {

// `tarlo new PROJECT [options]`: a new project with every default, saved to disk.
Command projectNewCommand();

} // namespace tarlo::cli
