#pragma once

#include "cli/Command.h"

namespace tarlo::cli {

// `tarlo traffic generate OUT --format FORMAT [...]`: writes synthetic traffic.
Command trafficGenerateCommand();

} // namespace tarlo::cli
