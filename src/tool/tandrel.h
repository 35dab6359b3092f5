// The bridge to the management tool Tandrel: finding it through the registry
// and running one command with its output captured in run.toolOutput.
#pragma once

#include <string>

#include "core/run_state.h"
#include "tool/tool_runner.h"

namespace vornup {

// Fills run.toolPath from the first registry key that names a usable tool;
// false when neither does (where it looked then goes to standard error).
bool locateTandrel(RunState& run);

// One registry attempt: subkey, value name, suite folder and executable name.
// The value must be an absolute directory that passes the command line path
// rule, and the tool in it an existing regular file that may be run. When it
// is not, `refusal` (if given) receives why.
bool locateWindowsTandrel(RunState& run, const char* subkey, const char* valueName,
                          const char* suiteFolder, const char* executable,
                          std::string* refusal = nullptr);

// How one tool command went.
enum class ToolStepOutcome {
  ran,          // the tool ran and ended; `status` is its exit status
  failed,       // it could not be run, passed its time limit, or its reply
                // could not be read (standard error says which)
  interrupted,  // the run was interrupted while it ran; it was ended
  refused,      // it was never started: an unsafe address, a line that does
                // not fit, or the run is interrupted
};

struct ToolStep {
  ToolStepOutcome outcome = ToolStepOutcome::ran;
  int status = 0;  // the tool's exit status when it ran, else 0
  // Why a failed step failed, for the run report; "" otherwise.
  const char* reason = "";
};

// Names on standard error a command that passed its time limit or could not
// be started; false, naming nothing, when `result` says neither.
bool explainUnfinishedCommand(RunState& run, const ToolRunResult& result, const char* args);

// Runs the tool with `args`, leaving its whole output (cut to the buffer) in
// run.toolOutput. Unless the tool ran, the output is empty and why goes to
// standard error; nothing goes to the console, since the caller decides what
// the failure means for the run.
ToolStep executeTandrel(RunState& run, const char* args);

}  // namespace vornup
