#pragma once

#include "cli/Command.h"

namespace tarlo::cli {

// `tarlo traffic info FILE --format FORMAT`: what a traffic file holds.
Command trafficInfoCommand();

} // namespace tarlo::cli
