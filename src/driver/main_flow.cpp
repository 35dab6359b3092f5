#include "driver/main_flow.h"

#include <cstdint>
#include <ctime>
#include <string>

#include "core/exit_codes.h"
#include "core/paths.h"
#include "core/run_state.h"
#include "download/baseline_load.h"
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

// The endings of the steps below, for the run's one way out (endRun).
RunExit completed(int exitCode) { return RunExit{RunEnding::completed, exitCode}; }
RunExit stopped(int exitCode) { return RunExit{RunEnding::stoppedEarly, exitCode}; }
RunExit stopped(RunState& run, RunOutcome outcome) {
  return stopped(reportOutcome(run, outcome));
}
RunExit interrupted() { return RunExit{RunEnding::interrupted}; }

// The host-wide lock, then the rights probe, come before the switches are
// read (the log file and the trace are opened then), so /s cannot silence
// the rights error. A refused run has no shutdown step, but its report is
// written from the switches read for it alone.
bool claimHostOrRefuse(RunState& run, int argc, char** argv, RunExit& exit) {
  int code = 0;
  switch (claimHost(run)) {
    case HostClaim::claimed:
      return true;
    case HostClaim::noRights:
      code = reportOutcome(run, DriverOutcome::insufficientPrivileges);
      break;
    case HostClaim::anotherRun:
      code = reportOutcome(run, DriverOutcome::anotherRunInProgress);
      break;
    case HostClaim::lockUnavailable:
      code = reportOutcome(run, DriverOutcome::hostLockUnavailable, HostLock::name().c_str());
      break;
  }
  readSwitchesForReport(run, argc, argv);
  exit = RunExit{RunEnding::refused, code, true, false};
  return false;
}

// Reads the adapter list and every port's attributes.
RunExit readAdapters(RunState& run) {
  if (!locateTandrel(run)) return stopped(run, DriverOutcome::toolNotInstalled);
  if (interruptRequested()) return interrupted();
  const DiscoveryOutcome discovered = discoverAdapters(run);
  if (interruptRequested()) return interrupted();
  if (discovered != DiscoveryOutcome::listed) return stopped(run, discovered);
  if (run.counters.portCount == 0) return stopped(run, DriverOutcome::noAdapters);
  for (auto& adapter : run.adapterList) {
    if (interruptRequested()) break;
    readAdapterAttributes(run, *adapter);
  }
  if (interruptRequested()) return interrupted();
  settleNicPersonalities(run);
  applyPortSuffixes(run);
  traceAdapterList(run);
  return completed(0);
}

// The adapter loop, the summaries and the status line.
RunExit processAndConclude(RunState& run) {
  run.out.traceOut(kBeginExecutionTrace);
  const uint16_t lostAdapters = processAdapters(run);
  if (interruptRequested()) return interrupted();
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
  return completed(exitCode);
}

// The steps of a run, up to its end.
RunExit runSteps(RunState& run, int argc, char** argv) {
  // The usage text alone needs neither the lock nor the rights.
  RunExit refused;
  if (!asksOnlyForUsage(argc, argv) && !claimHostOrRefuse(run, argc, argv, refused)) {
    return refused;
  }

  // A switch error was reported where it was found.
  const SwitchOutcome parsed = parseSwitches(run, argc, argv);
  if (parsed != SwitchOutcome::accepted || run.sw.help) {
    printUsage(run);
    return RunExit{RunEnding::stoppedEarly, exitStatus(exitCodeOf(parsed)), false, true};
  }

  composePaths(run);
  composeTempPath(run);
  if (!validateSwitches(run)) {
    return RunExit{RunEnding::stoppedEarly,
                   reportOutcome(run, DriverOutcome::invalidSwitchOptions), true, false};
  }
  // No earlier run's report may stand while this one works.
  const std::string reportPath = run.report.path;
  if (!startRunReport(run)) {
    return stopped(reportOutcome(run, SwitchOutcome::reportUnwritable, reportPath.c_str()));
  }
  if (!checkProgramDirectory(run)) return stopped(run, DriverOutcome::programDirectoryUnusable);

  const FwmatrixOutcome fwmatrix = openFwmatrix(run);
  if (fwmatrix == FwmatrixOutcome::notFound) return stopped(run, fwmatrix);
  if (!run.sw.autoMode && !run.isQueryOnly()) verifyFWmatrixEntries(run);
  const AutoDiscoveryOutcome images = autoDiscovery(run);
  if (images != AutoDiscoveryOutcome::done) return stopped(run, images);

  // The baseline decides before any tool command; a query alone needs none.
  if (run.hasOperationSwitch()) {
    std::string detail;
    const BaselineOutcome baseline = loadBaseline(run, detail);
    if (baseline != BaselineOutcome::ready) return stopped(reportOutcome(run, baseline, detail.c_str()));
  }

  const RunExit read = readAdapters(run);
  if (read.ending != RunEnding::completed) return read;
  return processAndConclude(run);
}

}  // namespace

int runVornup(int argc, char** argv, Platform& platform, std::FILE* console,
              ToolRunner* toolRunner) {
  RunState run(platform);
  run.out.console = console;
  run.toolRunner = toolRunner;
  run.record.started = std::time(nullptr);
  if (argc > 1) run.record.arguments.assign(argv + 1, argv + argc);
  recordBinDirectory(run, argc, argv);
  initRunState(run);
  prepareInterrupts();
  formatVersionString(run);
  return endRun(run, runSteps(run, argc, argv));
}

}  // namespace vornup
