// Adapter discovery: the tool's adapter list turned into adapter records.
#pragma once

#include "core/run_state.h"

namespace vornup {

// How reading the adapter list ended. Anything but `listed` ends the run.
enum class DiscoveryOutcome {
  listed,             // the list was read (it may name no port)
  toolFailed,         // the tool could not be run, or passed its time limit
  replyUnreadable,    // the tool ran but its reply could not be read
  driverNotLoaded,    // the reply says the adapter driver is not loaded
  serviceNotRunning,  // the reply says the management service is not running
  interrupted,        // an interrupt was requested; the list was not read
};

// Runs "listhbas local" ("listhbas" under /remote) through readAdapterList.
DiscoveryOutcome discoverAdapters(RunState& run);

// Runs the adapter-list command with `args` and appends one record per port
// it names, reading the reply line by line. An empty list is no error here.
// The count of listed ports stops at its largest value: the rest of the list
// is ignored then, with a warning on standard error (not in silent runs).
DiscoveryOutcome readAdapterList(RunState& run, const char* args);

// Looks at the reply's first lines, held in run.toolOutput, for the tool's
// driver and service errors: driverNotLoaded, serviceNotRunning or listed.
DiscoveryOutcome checkToolErrors(const RunState& run);

}  // namespace vornup
