#pragma once

#include "batch/Study.h"

#include <iosfwd>
#include <optional>
#include <vector>

namespace tarlo::batch {

// The runs handed to the array tasks of a cluster job: after a heading line, one line per
// run, tab-separated: seed, metrics folder, project, traffic file (empty for the project's
// own). Task n of the array runs the run of line n + 2.
void writeManifest(std::ostream& out, const std::vector<RunSpec>& runs);

// The run of the task with this index, or nothing when the manifest has no such line or the
// line is damaged.
std::optional<RunSpec> manifestRun(std::istream& in, std::size_t index);

} // namespace tarlo::batch
