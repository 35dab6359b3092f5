#include "driver/run_files.h"

#include <cstdio>
#include <ctime>
#include <string>

#include "core/paths.h"
#include "driver/reports_status.h"
#include "driver/run_outcomes.h"
#include "platform/interrupts.h"
#include "platform/safe_files.h"
#include "report/run_report.h"
#include "tool/attributes.h"

namespace vornup {
namespace {

constexpr char kClosingLines[] = "\n\n";

}  // namespace

FwmatrixOutcome openFwmatrix(RunState& run) {
  if (run.sw.autoMode) return FwmatrixOutcome::notUsed;
  // Only a regular file is read as the table, opened without waiting: a FIFO
  // would wait for a writer for ever, and a folder reads as an empty table
  // on some systems. Its line ends are read as they are (see fwmatrix_line).
  run.fwmatrixFile = openRegularFileForReading(run.fwmatrixPath.c_str());
  return run.fwmatrixFile != nullptr ? FwmatrixOutcome::opened : FwmatrixOutcome::notFound;
}

void shutdownRun(RunState& run) {
  // Before the temporary directory goes: the command needs it.
  restoreBootCode(run);
  run.adapterList.clear();
  run.firmwareList.clear();
  run.bootList.clear();
  run.out.consoleOut(kClosingLines);
  if (run.fwmatrixFile != nullptr) std::fclose(run.fwmatrixFile);
  run.fwmatrixFile = nullptr;
  run.out.closeLog();
  run.out.closeTrace();
  removeTempDirectory(run);
  // Windows keeps a closing console open until now.
  interruptCleanupDone();
}

int endRun(RunState& run, RunExit exit) {
  if (exit.ending == RunEnding::interrupted) {
    // Before the status line, so that the line is the last one of the run.
    restoreBootCode(run);
    exit.exitCode = reportOutcome(run, DriverOutcome::interrupted);
    // A download that converged before the interrupt may still need a reboot.
    rebootNotice(run);
  }
  RunRecord& record = run.record;
  record.ending = exit.ending;
  record.exitCode = exit.exitCode;
  record.interrupted = exit.ending == RunEnding::interrupted;
  record.rebootRequired = isRebootRequired(run);
  record.ended = std::time(nullptr);
  const std::string reportPath = run.report.path;
  if (exit.writesReport && !finishRunReport(run)) {
    // Codes that a deployment tool reads as "try again" or "stopped" stand.
    if (!record.interrupted && exit.exitCode != exitStatus(ExitCode::anotherRunInProgress)) {
      record.exitCode = reportOutcome(run, SwitchOutcome::reportUnwritable, reportPath.c_str());
    }
    // The host's records, held back, tell the code the run ends with.
    finishRunReport(run);
  }
  if (exit.shutsDown) shutdownRun(run);
  return record.exitCode;
}

}  // namespace vornup
