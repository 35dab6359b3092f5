#include "driver/run_outcomes.h"

#include "platform/interrupts.h"
#include "report/run_report.h"

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
    {DriverOutcome::anotherRunInProgress,
     "\n%s: Error - another vornup run is in progress - Return Code=%d\n\n", false,
     ExitCode::anotherRunInProgress, Channel::standardError},
    {DriverOutcome::hostLockUnavailable,
     "\n%s: Error - unable to take the host-wide lock %s - Return Code=%d\n\n", true,
     ExitCode::anotherRunInProgress, Channel::standardError},
    {DriverOutcome::programDirectoryUnusable,
     "\n%s: Error - unusable program directory - Return Code=%d\n\n", false,
     ExitCode::programDirectoryUnusable},
    {DriverOutcome::interrupted,
     "\n\n%s: Error - run interrupted - Return Code=%d\n\n", false, ExitCode::interrupted},

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
  if (row == nullptr) return ExitCode::success;
  // A run ended by SIGTERM ends with 143, not Ctrl-C's 130.
  if (row->code == ExitCode::interrupted && interruptExitCode() != 0) {
    return exitCodeFromHost(interruptExitCode());
  }
  return row->code;
}

int reportOutcome(RunState& run, RunOutcome outcome, const char* detail) {
  const OutcomeRow* row = findOutcome(outcome);
  if (row == nullptr) return exitStatus(ExitCode::success);
  const int code = exitStatus(exitCodeOf(outcome));
  if (row->message == nullptr) return code;
  if (row->channel == Channel::standardError) {
    if (row->withDetail) {
      run.out.errorOut(row->message, run.programName, detail, code);
    } else {
      run.out.errorOut(row->message, run.programName, code);
    }
  } else if (row->withDetail) {
    run.out.consoleOut(row->message, run.programName, detail, code);
  } else {
    run.out.consoleOut(row->message, run.programName, code);
  }
  return code;
}

int endWithReport(RunState& run, int exitCode) {
  const std::string path = run.report.path;
  if (finishRunReport(run, exitCode)) return exitCode;
  // Codes that a deployment tool reads as "try again" or "stopped" stand.
  if (exitCode == exitStatus(exitCodeOf(DriverOutcome::interrupted)) ||
      exitCode == exitStatus(ExitCode::anotherRunInProgress)) {
    return exitCode;
  }
  return reportOutcome(run, SwitchOutcome::reportUnwritable, path.c_str());
}

}  // namespace vornup
