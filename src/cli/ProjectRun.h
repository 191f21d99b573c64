#pragma once

#include "cli/Command.h"

namespace tarlo::cli {

// `tarlo run PROJECT [options]`: an invisible run of a project, waited for.
Command projectRunCommand();

} // namespace tarlo::cli
