#include "driver/main_flow.h"

#include "core/exit_codes.h"
#include "core/paths.h"
#include "core/run_state.h"
#include "driver/adapter_loop.h"
#include "driver/reports_inventory.h"
#include "driver/reports_status.h"
#include "driver/reports_summary.h"
#include "driver/run_files.h"
#include "driver/run_setup.h"
#include "driver/switch_check.h"
#include "driver/switches.h"
#include "driver/usage.h"
#include "platform/interrupts.h"
#include "report/run_report.h"
#include "selection/fwmatrix.h"
#include "selection/image_discovery.h"
#include "selection/image_discovery_scan.h"
#include "tool/attributes.h"
#include "tool/discovery.h"
#include "tool/port_suffixes.h"
#include "tool/tandrel.h"

namespace vornup {
namespace {

constexpr char kInsufficientPrivileges[] =
    "\n%s: Error - insufficient privileges - Return Code=%d\n\n";
constexpr char kInvalidSwitchOptions[] =
    "\n%s: Error - invalid switch options - Return Code=%d\n\n";
constexpr char kToolNotInstalled[] =
    "\n%s: Error - Korvane command line application kit not installed - Return Code=%d\n\n";
constexpr char kNoAdapters[] = "\n%s: Error - no supported Korvane HBAs found - Return Code=%d\n\n";
constexpr char kFirmwareDirectoryMissing[] =
    "\n%s: Error - the firmware subdirectory was not found - Return Code=%d\n\n";
constexpr char kBootDirectoryMissing[] =
    "\n%s: Error - the boot subdirectory was not found - Return Code=%d\n\n";
constexpr char kOperationComplete[] = "\n\n%s: Operation complete - Return Code=%d\n\n";
constexpr char kBeginExecutionTrace[] = "\n[Begin execution]\n";

int endRun(RunState& run, int exitCode) {
  finishRunReport(run, exitCode);
  shutdownRun(run);
  return exitCode;
}

// A run refused before its switches are read still writes the report its
// command line asks for.
int endRefusedRun(RunState& run, int argc, char** argv, int exitCode) {
  readSwitchesForReport(run, argc, argv);
  finishRunReport(run, exitCode);
  return exitCode;
}

int failRun(RunState& run, const char* message, int exitCode) {
  run.out.consoleOut(message, run.programName, exitCode);
  return endRun(run, exitCode);
}

}  // namespace

int runVornup(int argc, char** argv, Platform& platform, std::FILE* console) {
  RunState run(platform);
  run.out.console = console;
  recordBinDirectory(run, argc, argv);
  initRunState(run);
  prepareInterrupts();
  formatVersionString(run);

  // The host-wide lock, then the rights probe, come before the switches are
  // read (the log file and the trace are opened then), so /s cannot silence
  // the rights error; these exits and the switch check below skip the
  // shutdown step. The usage text alone needs neither.
  if (!asksOnlyForUsage(argc, argv)) {
    HostClaim claim = claimHost(run);
    if (claim == HostClaim::noRights) {
      run.out.consoleOut(kInsufficientPrivileges, run.programName, kExitInsufficientPrivileges);
      return endRefusedRun(run, argc, argv, kExitInsufficientPrivileges);
    }
    if (claim != HostClaim::claimed) return endRefusedRun(run, argc, argv, kExitAnotherRun);
  }

  int parsed = parseSwitches(run, argc, argv);
  if (parsed != 0 || run.sw.help) {
    printUsage(run);
    shutdownRun(run);
    return parsed;
  }

  composePaths(run);
  composeTempPath(run);
  if (!validateSwitches(run)) {
    run.out.consoleOut(kInvalidSwitchOptions, run.programName, kExitInvalidSwitchOptions);
    finishRunReport(run, kExitInvalidSwitchOptions);
    return kExitInvalidSwitchOptions;
  }

  if (!checkProgramDirectory(run)) return endRun(run, kExitProgramDirectoryUnusable);

  if (openFwmatrix(run) != 0) return endRun(run, kExitFwmatrixNotFound);
  if (!run.sw.autoMode && !run.isQueryOnly()) verifyFWmatrixEntries(run);

  ImageDirectoryKind missing = ImageDirectoryKind::kFirmware;
  if (autoDiscovery(run, missing) == kAutoDiscoveryDirectoryMissing) {
    // Reported before the shutdown step, like every other early exit, so the
    // log file (closed by that step) receives it too.
    const char* message = missing == ImageDirectoryKind::kFirmware ? kFirmwareDirectoryMissing
                                                                   : kBootDirectoryMissing;
    return failRun(run, message, kExitImageDirectoryMissing);
  }

  if (locateTandrel(run) != 0) return failRun(run, kToolNotInstalled, kExitToolNotInstalled);
  if (interruptRequested()) return endInterruptedRun(run);
  int discovered = discoverAdapters(run);
  if (interruptRequested()) return endInterruptedRun(run);
  if (discovered != 0) return endRun(run, discovered);
  if (run.counters.gHbaCount == 0) return failRun(run, kNoAdapters, kExitNoAdapters);

  for (auto& adapter : run.adapterList) {
    if (interruptRequested()) break;
    readAdapterAttributes(run, *adapter);
  }
  if (interruptRequested()) return endInterruptedRun(run);
  settleNicPersonalities(run);
  applyPortSuffixes(run);
  traceAdapterList(run);
  run.out.traceOut(kBeginExecutionTrace);

  uint16_t lostAdapters = processAdapters(run);
  if (interruptRequested()) return endInterruptedRun(run);
  if (run.sw.verbose && run.hasOperationSwitch()) printVerboseSummaries(run, lostAdapters);

  int exitCode = kExitSuccess;
  if (run.hasOperationSwitch()) {
    exitCode = operationStatus(run);
  } else if (run.isQueryOnly()) {
    exitCode = queryStatus(run);
  } else {
    run.out.consoleOut(kOperationComplete, run.programName, kExitSuccess);
  }
  rebootNotice(run);
  return endRun(run, exitCode);
}

}  // namespace vornup
