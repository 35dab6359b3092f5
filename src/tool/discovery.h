// Adapter discovery: the tool's adapter list turned into adapter records.
#pragma once

#include "core/run_state.h"

namespace vornup {

// Runs "listhbas local" ("listhbas" under /remote) through readAdapterList.
int discoverAdapters(RunState& run);

// Runs the adapter-list command with `args` and appends one record per port
// it names. 0, or 4 when the output cannot be read or names a missing driver
// or management service. An empty list is no error here.
int readAdapterList(RunState& run, const char* args);

// Looks at the first ten lines of the adapter list for the tool's driver and
// service errors; 0 or 4. Leaves those lines in run.toolOutput.
int checkToolErrors(RunState& run);

}  // namespace vornup
