#pragma once

#include "cli/Command.h"

namespace tarlo::cli {

// `tarlo batch STUDY`: the runs of a study file, on this machine or as a Slurm job array,
// and their results gathered.
Command batchCommand();

} // namespace tarlo::cli
