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

// How the steps of a run ended, for its one way out (endRun).
struct RunExit {
  RunEnding ending = RunEnding::completed;
  // The exit code of the status line the steps printed (not used for an
  // interrupted run: its own line gives it).
  int exitCode = 0;
  bool writesReport = true;   // a switch error or the usage text writes none
  bool shutsDown = true;      // the shutdown step (refusals before the switches skip it)
};

// The one way out of every run: for an interrupted run sets back the boot
// code and prints "run interrupted" (its code: 128 + signal on POSIX, 1602 on
// Windows); notes the end, exit code, reboot and interrupt in the run record;
// writes the run report once; then the shutdown step. Returns the exit code.
int endRun(RunState& run, RunExit exit);

}  // namespace vornup
