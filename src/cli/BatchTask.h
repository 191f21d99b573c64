#pragma once

#include "cli/Command.h"

namespace tarlo::cli {

// `tarlo batch-task MANIFEST INDEX`: one run of a batch's manifest, as an array task of a
// cluster job runs it.
Command batchTaskCommand();

} // namespace tarlo::cli
