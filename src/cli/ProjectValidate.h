#pragma once

#include "cli/Command.h"

namespace tarlo::cli {

// `tarlo validate PROJECT`: the validation report of a project.
Command projectValidateCommand();

} // namespace tarlo::cli
