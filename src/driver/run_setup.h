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

// Installs the interrupt handlers (platform/interrupts.h) for the whole run.
void prepareInterrupts();

// True when the command line asks for the usage text alone: no argument, or
// only /?, /help and /h. Such a run touches nothing of the host: it needs
// neither the host-wide lock nor the rights probe.
bool asksOnlyForUsage(int argc, char** argv);

enum class HostClaim {
  claimed,          // the lock is held and the rights probe passed
  anotherRun,       // another run holds the lock
  noRights,         // the rights probe failed
  lockUnavailable,  // the lock file or mutex cannot be used
};

// Takes the host-wide lock, then probes the rights. The lock comes before
// anything that touches the host (the probe, the log file, the trace, the
// temporary directory), so a refused second run changes nothing.
HostClaim claimHost(RunState& run);

// False, with a line on standard error naming it, when the program's own
// directory cannot stand inside quotes on a tool command
// line (core/command_text.h): the run must stop before any tool command.
bool checkProgramDirectory(RunState& run);

}  // namespace vornup
