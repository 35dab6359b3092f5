#include "core/paths.h"

#include <string>

#include "core/command_text.h"
#include "platform/host_names.h"
#include "platform/platform.h"

namespace vornup {
namespace {

constexpr char kDirectoryFormat[] = "%s%s%c";
constexpr char kFileFormat[] = "%s%s";
constexpr char kFirmwareFolder[] = "firmware";
constexpr char kBootFolder[] = "boot";
constexpr char kFwmatrixName[] = "fwmatrix.txt";
constexpr char kTempFileName[] = "temp.txt";

constexpr char kPathsHeading[] = "[Directory Paths]\n";
constexpr char kTraceFirmware[] = "Firmware path = %s\n";
constexpr char kTraceBoot[] = "Bootcode path = %s\n";
constexpr char kTraceBin[] = "Bin      path = %s\n";
constexpr char kTraceFwmatrix[] = "Fwmatrix.txt  = %s\n";
constexpr char kTraceTool[] = "CLI util      = %s\n";
constexpr char kTempHeading[] = "[Temp file]\n";
constexpr char kTraceTempFile[] = "%s\n";

constexpr char kNoTempDirectory[] =
    "%s: Error - no temporary directory: TEMP is not set - no tool command can run\n";
constexpr char kUnusableTempDirectory[] =
    "%s: Error - the temporary directory %s cannot be used - no tool command can run\n";

// Makes the private directory; true when it exists and its path fits. The
// base goes on every tool command line (the output redirection), so it must
// pass the command line rule; private directories that killed runs left in
// it are removed first.
bool makeTempDirectory(RunState& run) {
  std::string base;
  if (!run.platform.temporaryDirectoryBase(base)) {
    run.out.errorOut(kNoTempDirectory, run.programName);
    return false;
  }
  std::string created;
  if (!isSafeQuotedText(base.c_str())) {
    run.out.errorOut(kUnusableTempDirectory, run.programName, base.c_str());
    return false;
  }
  run.platform.removeStalePrivateDirectories(base);
  if (!run.platform.createPrivateDirectory(base, created)) {
    run.out.errorOut(kUnusableTempDirectory, run.programName, base.c_str());
    return false;
  }
  if (!run.tempDirectory.set(created.c_str())) {
    run.platform.removeDirectory(created);
    run.tempDirectory.clear();
    run.out.errorOut(kUnusableTempDirectory, run.programName, base.c_str());
    return false;
  }
  return true;
}

}  // namespace

void composePaths(RunState& run) {
  const char* bin = run.binDirectory.c_str();
  run.firmwareDirectory.format(kDirectoryFormat, bin, kFirmwareFolder, kPathSeparator);
  run.bootDirectory.format(kDirectoryFormat, bin, kBootFolder, kPathSeparator);
  run.fwmatrixPath.format(kFileFormat, bin, kFwmatrixName);

  run.out.traceOut(kPathsHeading);
  run.out.traceOut(kTraceFirmware, run.firmwareDirectory.c_str());
  run.out.traceOut(kTraceBoot, run.bootDirectory.c_str());
  run.out.traceOut(kTraceBin, bin);
  run.out.traceOut(kTraceFwmatrix, run.fwmatrixPath.c_str());
  run.out.traceOut(kTraceTool, run.toolFileName);
  run.out.traceOut("\n");
}

void composeTempPath(RunState& run) {
  run.tempFilePath.clear();
  // A cut file name would point somewhere else, so a path that does not fit
  // leaves tempFilePath empty.
  if (makeTempDirectory(run) &&
      !run.tempFilePath.format(kFileFormat, run.tempDirectory.c_str(), kTempFileName)) {
    run.tempFilePath.clear();
    run.out.errorOut(kUnusableTempDirectory, run.programName, run.tempDirectory.c_str());
  }
  run.out.traceOut(kTempHeading);
  run.out.traceOut(kTraceTempFile, run.tempFilePath.c_str());
}

void removeTempDirectory(RunState& run) {
  if (run.tempDirectory.empty()) return;
  // Whatever the tool left there goes with it.
  run.platform.removePrivateDirectory(run.tempDirectory.c_str());
  run.tempDirectory.clear();
  run.tempFilePath.clear();
}

}  // namespace vornup
