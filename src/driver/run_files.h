// The files the driver keeps open for the whole run, and the end of a run.
#pragma once

#include "core/run_state.h"

namespace vornup {

enum class FwmatrixOutcome { opened, notUsed, notFound };

// Outside automatic mode opens fwmatrix.txt for the rest of the run
// (`opened`, or `notFound` when it cannot be); `notUsed` in automatic mode.
FwmatrixOutcome openFwmatrix(RunState& run);

// Sets back the boot code the run switched on, frees the adapter and image
// lists, prints the closing blank lines, closes
// fwmatrix.txt, the log file and the trace, and removes the temporary
// directory.
void shutdownRun(RunState& run);

// The end of an interrupted run: boot code set back, the status line
// "run interrupted" on the console and in the log, the shutdown step; returns
// the interrupt's exit code (128 + signal on POSIX, 1602 on Windows).
int endInterruptedRun(RunState& run);

}  // namespace vornup
