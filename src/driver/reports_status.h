// The final status line of a run, which carries its exit code, and the
// reboot notice that may follow it.
#pragma once

namespace vornup {

struct RunState;

// Runs with an operation switch: prints the status line chosen by the run
// counters and returns the exit code.
int operationStatus(RunState& run);

// Query-only runs: prints the status line and returns the exit code.
int queryStatus(RunState& run);

// Asks for a reboot when converged or Halvard firmware was changed and the
// tool asked for one; never in preview mode.
void rebootNotice(RunState& run);

}  // namespace vornup
