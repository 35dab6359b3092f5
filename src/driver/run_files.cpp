#include "driver/run_files.h"

#include <cstdio>
#include <filesystem>

#include "core/paths.h"
#include "platform/interrupts.h"
#include "report/run_report.h"
#include "tool/attributes.h"

namespace vornup {
namespace {

constexpr char kClosingLines[] = "\n\n";
constexpr char kRunInterrupted[] = "\n\n%s: Error - run interrupted - Return Code=%d\n\n";

// Only a plain file is read as the table: opening a FIFO would wait for a
// writer for ever, and a folder reads as an empty table on some systems.
bool isPlainFile(const char* path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

}  // namespace

FwmatrixOutcome openFwmatrix(RunState& run) {
  if (run.sw.autoMode) return FwmatrixOutcome::notUsed;
  if (isPlainFile(run.fwmatrixPath.c_str())) {
    run.fwmatrixFile = std::fopen(run.fwmatrixPath.c_str(), "r");
  }
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

int endInterruptedRun(RunState& run) {
  restoreBootCode(run);
  const int exitCode = interruptExitCode();
  run.out.consoleOut(kRunInterrupted, run.programName, exitCode);
  finishRunReport(run, exitCode);
  shutdownRun(run);
  return exitCode;
}

}  // namespace vornup
