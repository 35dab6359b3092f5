// The bridge to the management tool Tandrel: finding it through the registry
// and running one command with its output captured in run.toolOutput.
#pragma once

#include <string>

#include "core/run_state.h"

namespace vornup {

// Fills run.toolPath from the first registry key that names a usable tool;
// false when neither does (where it looked then goes to standard error,
// unless the run is silent).
bool locateTandrel(RunState& run);

// One registry attempt: subkey, value name, suite folder and executable name.
// The value must be an absolute directory that passes the command line path
// rule, and the tool in it an existing regular file that may be run. When it
// is not, `refusal` (if given) receives why.
bool locateWindowsTandrel(RunState& run, const char* subkey, const char* valueName,
                          const char* suiteFolder, const char* executable,
                          std::string* refusal = nullptr);

// Runs the tool with `args`, leaving its whole output (cut to the buffer) in
// run.toolOutput. Returns the command's exit status, or 4 when it could not
// be run, passed its time limit, or its output could not be read (the output
// is empty then; why goes to standard error unless the run is silent).
int executeTandrel(RunState& run, const char* args);

}  // namespace vornup
