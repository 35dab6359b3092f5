#include "driver/main_flow.h"

#include "driver/exit_codes.h"
#include "driver/paths.h"
#include "driver/run_files.h"
#include "driver/run_setup.h"
#include "driver/run_state.h"
#include "driver/switches.h"
#include "driver/usage.h"
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

int endRun(RunState& run, int exitCode) {
  shutdownRun(run);
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

  // The rights error comes before the switches are read, so /s cannot
  // silence it; this exit and the switch check below skip the shutdown step.
  if (!checkAdminRights(run)) {
    run.out.consoleOut(kInsufficientPrivileges, run.programName, kExitInsufficientPrivileges);
    return kExitInsufficientPrivileges;
  }
  formatVersionString(run);

  int parsed = parseSwitches(run, argc, argv);
  if (parsed != 0 || run.sw.help) {
    printUsage(run);
    return endRun(run, parsed);
  }

  composePaths(run);
  composeTempPath(run);
  if (!validateSwitches(run)) {
    run.out.consoleOut(kInvalidSwitchOptions, run.programName, kExitInvalidSwitchOptions);
    return kExitInvalidSwitchOptions;
  }

  if (openFwmatrix(run) != 0) return endRun(run, kExitFwmatrixNotFound);
  if (locateTandrel(run) != 0) return failRun(run, kToolNotInstalled, kExitToolNotInstalled);

  if (run.counters.gHbaCount == 0) return failRun(run, kNoAdapters, kExitNoAdapters);
  return endRun(run, kExitSuccess);
}

}  // namespace vornup
