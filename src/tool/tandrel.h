// The bridge to the management tool Tandrel: finding it through the registry
// and running one command with its output captured in run.toolOutput.
#pragma once

#include <string>

#include "core/run_state.h"

namespace vornup {

// Fills run.toolPath; 0 when the tool was located, 1 otherwise.
int locateTandrel(RunState& run);

// One registry attempt: subkey, value name, suite folder and executable name.
int locateWindowsTandrel(RunState& run, const char* subkey, const char* valueName,
                         const char* suiteFolder, const char* executable);

// Runs the tool with `args`, leaving its whole output (cut to the buffer) in
// run.toolOutput. Returns the command's exit status, or 4 when the output
// could not be read or the command line could not be composed safely.
int executeTandrel(RunState& run, const char* args);

}  // namespace vornup
