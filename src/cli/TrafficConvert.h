#pragma once

#include "cli/Command.h"

namespace tarlo::cli {

// `tarlo traffic convert IN OUT --from FORMAT --to FORMAT`: rewrites a traffic file.
Command trafficConvertCommand();

} // namespace tarlo::cli
