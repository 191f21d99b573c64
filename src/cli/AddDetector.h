#pragma once

#include "cli/Command.h"

namespace tarlo::cli {

// `tarlo add detector PROJECT KIND [options]`: a detector appended to a saved project.
Command addDetectorCommand();

} // namespace tarlo::cli
