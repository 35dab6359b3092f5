// How each step that can end a run early reports it, and the one table that
// gives every such outcome its message and exit code.
//
// The steps below the driver return their own outcome types and print
// nothing about them; the main flow reports the outcome through this table.
#pragma once

#include "core/exit_codes.h"
#include "core/run_state.h"
#include "core/status_line.h"
#include "download/baseline_load.h"
#include "driver/run_files.h"
#include "driver/switches.h"
#include "selection/image_discovery_scan.h"
#include "tool/discovery.h"

namespace vornup {

// Outcomes of the main flow's own checks.
enum class DriverOutcome {
  insufficientPrivileges,  // the rights probe failed
  invalidSwitchOptions,    // the switches contradict each other
  toolNotInstalled,        // neither registry key names a usable tool
  noAdapters,              // the adapter list names no port
  operationComplete,       // neither an operation nor a query was asked for
  anotherRunInProgress,    // another run holds the host-wide lock
  hostLockUnavailable,     // the lock file or mutex can never be taken
  programDirectoryUnusable,  // the program's directory cannot stand on a tool command line
  interrupted,             // an interrupt was requested; the run ends early
};

// Any step's outcome, as a key of the table.
class RunOutcome {
 public:
  constexpr RunOutcome(DriverOutcome o) : step_(Step::driver), value_(static_cast<int>(o)) {}
  constexpr RunOutcome(SwitchOutcome o) : step_(Step::switches), value_(static_cast<int>(o)) {}
  constexpr RunOutcome(FwmatrixOutcome o) : step_(Step::fwmatrix), value_(static_cast<int>(o)) {}
  constexpr RunOutcome(AutoDiscoveryOutcome o)
      : step_(Step::imageDirectories), value_(static_cast<int>(o)) {}
  constexpr RunOutcome(DiscoveryOutcome o) : step_(Step::discovery), value_(static_cast<int>(o)) {}
  constexpr RunOutcome(BaselineOutcome o) : step_(Step::baseline), value_(static_cast<int>(o)) {}

  constexpr bool operator==(const RunOutcome& other) const {
    return step_ == other.step_ && value_ == other.value_;
  }

 private:
  enum class Step { driver, switches, fwmatrix, imageDirectories, discovery, baseline };
  Step step_;
  int value_;
};

// One row of the table. `line` is the status line, its text taking the
// detail where it names one; no text for an outcome that prints nothing.
// ExitCode::interrupted stands for the code of the interrupt that was
// recorded (128 + its signal on POSIX). The channel is standard error for
// refusals that come before the run may touch its files.
struct OutcomeRow {
  RunOutcome outcome;
  StatusLine line;
  ExitCode code;
  StatusChannel channel = StatusChannel::console;
};

// The row of `outcome`; null for outcomes that let the run go on.
const OutcomeRow* findOutcome(RunOutcome outcome);

// The exit code of `outcome` (success for outcomes that let the run go on).
ExitCode exitCodeOf(RunOutcome outcome);

// Prints the message of `outcome` (with `detail` where the message names
// one) and returns its exit code as the process ends with it.
int reportOutcome(RunState& run, RunOutcome outcome, const char* detail = "");

}  // namespace vornup
