#include "driver/run_outcomes.h"

namespace vornup {
namespace {

// clang-format off
constexpr OutcomeRow kOutcomes[] = {
    {DriverOutcome::insufficientPrivileges,
     "\n%s: Error - insufficient privileges - Return Code=%d\n\n", false,
     ExitCode::insufficientPrivileges},
    {DriverOutcome::invalidSwitchOptions,
     "\n%s: Error - invalid switch options - Return Code=%d\n\n", false,
     ExitCode::invalidSwitchOptions},
    {DriverOutcome::toolNotInstalled,
     "\n%s: Error - Korvane command line application kit not installed - Return Code=%d\n\n",
     false, ExitCode::toolNotInstalled},
    {DriverOutcome::noAdapters,
     "\n%s: Error - no supported Korvane HBAs found - Return Code=%d\n\n", false,
     ExitCode::noAdapters},
    {DriverOutcome::operationComplete,
     "\n\n%s: Operation complete - Return Code=%d\n\n", false, ExitCode::success},

    {SwitchOutcome::unknownSwitch,
     "\n%s: Error - Unknown switch = %s - Return Code=%d\n\n", true, ExitCode::switchError},
    {SwitchOutcome::malformedLogSwitch,
     "\n%s: Error - Unknow switch = %s - Return Code=%d\n\n", true, ExitCode::switchError},
    {SwitchOutcome::multipleLogFiles,
     "\n%s: Error - cannot open multiple log files - Return Code=%d\n\n", false,
     ExitCode::switchError},
    {SwitchOutcome::logFileUnopenable,
     "\n%s: Error - unable to open logfile %s - Return Code=%d\n\n", true,
     ExitCode::switchError},
    {SwitchOutcome::multipleReports,
     "\n%s: Error - cannot write multiple run reports - Return Code=%d\n\n", false,
     ExitCode::switchError},
    {SwitchOutcome::reportUnwritable,
     "\n%s: Error - unable to write run report %s - Return Code=%d\n\n", true,
     ExitCode::switchError},
    // Only the trace switch: the usage text follows, no message.
    {SwitchOutcome::noSwitch, nullptr, false, ExitCode::switchError},

    {FwmatrixOutcome::notFound,
     "\n%s: Error - fwmatrix update table not found - Return Code=%d\n\n", false,
     ExitCode::fwmatrixNotFound},

    {AutoDiscoveryOutcome::firmwareDirectoryMissing,
     "\n%s: Error - the firmware subdirectory was not found - Return Code=%d\n\n", false,
     ExitCode::imageDirectoryMissing},
    {AutoDiscoveryOutcome::bootDirectoryMissing,
     "\n%s: Error - the boot subdirectory was not found - Return Code=%d\n\n", false,
     ExitCode::imageDirectoryMissing},

    {DiscoveryOutcome::toolFailed,
     "\n%s : error - unable to process TANDREL - Return Code=%d\n\n", false,
     ExitCode::toolFailure},
    {DiscoveryOutcome::replyUnreadable,
     "\n%s : error - unable to open temp file - Return Code=%d\n\n", false,
     ExitCode::toolFailure},
    {DiscoveryOutcome::driverNotLoaded,
     "\n%s: Error - QTRD driver is not loaded - Return Code=%d\n\n", false,
     ExitCode::toolFailure},
    {DiscoveryOutcome::serviceNotRunning,
     "\n%s: Error - brackmond is not running - Return Code=%d\n\n", false,
     ExitCode::toolFailure},
    // The interrupted run's status line and code belong to the end of an
    // interrupted run.
    {DiscoveryOutcome::interrupted, nullptr, false, ExitCode::interrupted},
};
// clang-format on

}  // namespace

const OutcomeRow* findOutcome(RunOutcome outcome) {
  for (const OutcomeRow& row : kOutcomes) {
    if (row.outcome == outcome) return &row;
  }
  return nullptr;
}

ExitCode exitCodeOf(RunOutcome outcome) {
  const OutcomeRow* row = findOutcome(outcome);
  return row != nullptr ? row->code : ExitCode::success;
}

int reportOutcome(RunState& run, RunOutcome outcome, const char* detail) {
  const OutcomeRow* row = findOutcome(outcome);
  if (row == nullptr) return exitStatus(ExitCode::success);
  const int code = exitStatus(row->code);
  if (row->message != nullptr) {
    if (row->withDetail) {
      run.out.consoleOut(row->message, run.programName, detail, code);
    } else {
      run.out.consoleOut(row->message, run.programName, code);
    }
  }
  return code;
}

}  // namespace vornup
