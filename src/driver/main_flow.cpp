#include "driver/main_flow.h"

#include <string>

#include "core/exit_codes.h"
#include "core/paths.h"
#include "core/run_state.h"
#include "driver/adapter_loop.h"
#include "driver/reports_inventory.h"
#include "driver/reports_status.h"
#include "driver/reports_summary.h"
#include "driver/run_files.h"
#include "driver/run_outcomes.h"
#include "driver/run_setup.h"
#include "driver/switch_check.h"
#include "driver/switches.h"
#include "driver/usage.h"
#include "platform/host_lock.h"
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

constexpr char kBeginExecutionTrace[] = "\n[Begin execution]\n";

int endRun(RunState& run, int exitCode) {
  const int code = endWithReport(run, exitCode);
  shutdownRun(run);
  return code;
}

// A run refused before its switches are read still writes the report its
// command line asks for.
int endRefusedRun(RunState& run, int argc, char** argv, int exitCode) {
  readSwitchesForReport(run, argc, argv);
  return endWithReport(run, exitCode);
}

// Reports an outcome that ends the run, then the shutdown step. Reported
// before that step, like every early exit, so the log file (closed by it)
// receives it too.
int failRun(RunState& run, RunOutcome outcome) { return endRun(run, reportOutcome(run, outcome)); }

}  // namespace

int runVornup(int argc, char** argv, Platform& platform, std::FILE* console,
              ToolRunner* toolRunner) {
  RunState run(platform);
  run.out.console = console;
  run.toolRunner = toolRunner;
  recordBinDirectory(run, argc, argv);
  initRunState(run);
  prepareInterrupts();
  formatVersionString(run);

  // The host-wide lock, then the rights probe, come before the switches are
  // read (the log file and the trace are opened then), so /s cannot silence
  // the rights error; these exits and the switch check below skip the
  // shutdown step. The usage text alone needs neither.
  if (!asksOnlyForUsage(argc, argv)) {
    switch (claimHost(run)) {
      case HostClaim::claimed:
        break;
      case HostClaim::noRights:
        return endRefusedRun(run, argc, argv,
                             reportOutcome(run, DriverOutcome::insufficientPrivileges));
      case HostClaim::anotherRun:
        return endRefusedRun(run, argc, argv,
                             reportOutcome(run, DriverOutcome::anotherRunInProgress));
      case HostClaim::lockUnavailable:
        return endRefusedRun(
            run, argc, argv,
            reportOutcome(run, DriverOutcome::hostLockUnavailable, HostLock::name().c_str()));
    }
  }

  // A switch error was reported where it was found.
  const SwitchOutcome parsed = parseSwitches(run, argc, argv);
  if (parsed != SwitchOutcome::accepted || run.sw.help) {
    printUsage(run);
    shutdownRun(run);
    return exitStatus(exitCodeOf(parsed));
  }

  composePaths(run);
  composeTempPath(run);
  if (!validateSwitches(run)) {
    return endWithReport(run, reportOutcome(run, DriverOutcome::invalidSwitchOptions));
  }
  // No earlier run's report may stand while this one works.
  const std::string reportPath = run.report.path;
  if (!startRunReport(run)) {
    return endRun(run, reportOutcome(run, SwitchOutcome::reportUnwritable, reportPath.c_str()));
  }

  if (!checkProgramDirectory(run)) {
    return endRun(run, reportOutcome(run, DriverOutcome::programDirectoryUnusable));
  }

  const FwmatrixOutcome fwmatrix = openFwmatrix(run);
  if (fwmatrix == FwmatrixOutcome::notFound) return failRun(run, fwmatrix);
  if (!run.sw.autoMode && !run.isQueryOnly()) verifyFWmatrixEntries(run);

  const AutoDiscoveryOutcome images = autoDiscovery(run);
  if (images != AutoDiscoveryOutcome::done) return failRun(run, images);

  if (!locateTandrel(run)) return failRun(run, DriverOutcome::toolNotInstalled);
  if (interruptRequested()) return endInterruptedRun(run);
  const DiscoveryOutcome discovered = discoverAdapters(run);
  if (interruptRequested()) return endInterruptedRun(run);
  if (discovered != DiscoveryOutcome::listed) return failRun(run, discovered);
  if (run.counters.gHbaCount == 0) return failRun(run, DriverOutcome::noAdapters);

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

  int exitCode = exitStatus(ExitCode::success);
  if (run.hasOperationSwitch()) {
    exitCode = operationStatus(run);
  } else if (run.isQueryOnly()) {
    exitCode = queryStatus(run);
  } else {
    exitCode = reportOutcome(run, DriverOutcome::operationComplete);
  }
  rebootNotice(run);
  return endRun(run, exitCode);
}

}  // namespace vornup
