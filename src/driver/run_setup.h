// The first steps of a run: the program's own directory, the names, the
// version text and the rights probe.
#pragma once

#include "core/run_state.h"

namespace vornup {

// Sets binDirectory to the directory of the running program, with a trailing
// separator; the current directory when that cannot be found or does not fit.
void recordBinDirectory(RunState& run, int argc, char** argv);

// Sets the program's names and clears every counter.
void initRunState(RunState& run);

// Fills versionString from the four version numbers.
void formatVersionString(RunState& run);

// True when the run may change system-wide configuration (the registry probe).
bool checkAdminRights(RunState& run);

}  // namespace vornup
