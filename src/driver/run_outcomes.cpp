#include "driver/run_outcomes.h"

#include "platform/interrupts.h"

namespace vornup {
namespace {

// clang-format off
constexpr OutcomeRow kOutcomes[] = {
    {DriverOutcome::insufficientPrivileges,
     {"\n", ": ", "Error - insufficient privileges"},
     ExitCode::insufficientPrivileges},
    {DriverOutcome::invalidSwitchOptions,
     {"\n", ": ", "Error - invalid switch options"},
     ExitCode::invalidSwitchOptions},
    {DriverOutcome::toolNotInstalled,
     {"\n", ": ", "Error - Korvane command line application kit not installed"},
     ExitCode::toolNotInstalled},
    {DriverOutcome::noAdapters,
     {"\n", ": ", kNoSupportedAdaptersText},
     ExitCode::noAdapters},
    {DriverOutcome::operationComplete,
     {"\n\n", ": ", "Operation complete"}, ExitCode::success},
    {DriverOutcome::anotherRunInProgress,
     {"\n", ": ", "Error - another vornup run is in progress"},
     ExitCode::anotherRunInProgress, StatusChannel::standardError},
    {DriverOutcome::hostLockUnavailable,
     {"\n", ": ", "Error - unable to take the host-wide lock %s"},
     ExitCode::hostLockUnusable, StatusChannel::standardError},
    {DriverOutcome::programDirectoryUnusable,
     {"\n", ": ", "Error - unusable program directory"},
     ExitCode::programDirectoryUnusable},
    {DriverOutcome::interrupted,
     {"\n\n", ": ", "Error - run interrupted"}, ExitCode::interrupted},

    {SwitchOutcome::unknownSwitch,
     {"\n", ": ", "Error - Unknown switch = %s"}, ExitCode::switchError},
    {SwitchOutcome::malformedLogSwitch,
     {"\n", ": ", "Error - Unknow switch = %s"}, ExitCode::switchError},
    {SwitchOutcome::multipleLogFiles,
     {"\n", ": ", "Error - cannot open multiple log files"},
     ExitCode::switchError},
    {SwitchOutcome::logFileUnopenable,
     {"\n", ": ", "Error - unable to open logfile %s"},
     ExitCode::switchError},
    {SwitchOutcome::multipleReports,
     {"\n", ": ", "Error - cannot write multiple run reports"},
     ExitCode::switchError},
    {SwitchOutcome::reportUnwritable,
     {"\n", ": ", "Error - unable to write run report %s"},
     ExitCode::switchError},
    // Only the trace switch: the usage text follows, no message.
    {SwitchOutcome::noSwitch, {}, ExitCode::switchError},

    {FwmatrixOutcome::notFound,
     {"\n", ": ", "Error - fwmatrix update table not found"},
     ExitCode::fwmatrixNotFound},

    {AutoDiscoveryOutcome::firmwareDirectoryMissing,
     {"\n", ": ", "Error - the firmware subdirectory was not found"},
     ExitCode::imageDirectoryMissing},
    {AutoDiscoveryOutcome::bootDirectoryMissing,
     {"\n", ": ", "Error - the boot subdirectory was not found"},
     ExitCode::imageDirectoryMissing},

    {BaselineOutcome::missing,
     {"\n", ": ", "Error - unusable baseline %s"}, ExitCode::baselineUnusable},
    {BaselineOutcome::unreadable,
     {"\n", ": ", "Error - unusable baseline %s"}, ExitCode::baselineUnusable},
    {BaselineOutcome::malformed,
     {"\n", ": ", "Error - unusable baseline %s"}, ExitCode::baselineUnusable},
    {BaselineOutcome::signatureUnreadable,
     {"\n", ": ", "Error - unusable baseline %s"}, ExitCode::baselineUnusable},

    {DiscoveryOutcome::toolFailed,
     {"\n", " : ", "error - unable to process TANDREL"},
     ExitCode::toolFailure},
    {DiscoveryOutcome::replyUnreadable,
     {"\n", " : ", "error - unable to open temp file"},
     ExitCode::toolFailure},
    {DiscoveryOutcome::driverNotLoaded,
     {"\n", ": ", "Error - QTRD driver is not loaded"},
     ExitCode::toolFailure},
    {DiscoveryOutcome::serviceNotRunning,
     {"\n", ": ", "Error - brackmond is not running"},
     ExitCode::toolFailure},
    // The interrupted run's status line and code belong to the end of an
    // interrupted run.
    {DiscoveryOutcome::interrupted, {}, ExitCode::interrupted},
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
  if (row->line.text != nullptr) printStatusLine(run, row->line, detail, code, row->channel);
  return code;
}

}  // namespace vornup
