#include "driver/run_files.h"

#include <cstdio>

#include "driver/exit_codes.h"
#include "driver/paths.h"

namespace vornup {
namespace {

constexpr char kFwmatrixNotFound[] =
    "\n%s: Error - fwmatrix update table not found - Return Code=%d\n\n";
constexpr char kClosingLines[] = "\n\n";

}  // namespace

int openFwmatrix(RunState& run) {
  if (run.sw.autoMode) return kExitSuccess;
  run.fwmatrixFile = std::fopen(run.fwmatrixPath.c_str(), "r");
  if (run.fwmatrixFile != nullptr) return kExitSuccess;
  run.out.consoleOut(kFwmatrixNotFound, run.programName, kExitFwmatrixNotFound);
  return kExitFwmatrixNotFound;
}

void shutdownRun(RunState& run) {
  run.adapterList.clear();
  run.firmwareList.clear();
  run.bootList.clear();
  run.out.consoleOut(kClosingLines);
  if (run.fwmatrixFile != nullptr) std::fclose(run.fwmatrixFile);
  run.fwmatrixFile = nullptr;
  run.out.closeLog();
  run.out.closeTrace();
  removeTempDirectory(run);
}

}  // namespace vornup
