#include "tool/tandrel.h"

#include <cstdio>

#include "platform/host_names.h"
#include "platform/platform.h"

namespace vornup {
namespace {

constexpr char kQuenmarKey[] = "SOFTWARE\\Korvane\\Quenmar";
constexpr char kQuenmarValue[] = "QuenmarDir";
constexpr char kQuenmarFolder[] = "Quenmar";
constexpr char kDrumlinKey[] = "SOFTWARE\\Korvane\\Drumlin";
constexpr char kDrumlinValue[] = "DrumlinDir";
constexpr char kDrumlinFolder[] = "Drumlin";

constexpr char kLocateHeading[] = "\n[locateWindowsTandrel]\n";
constexpr char kTracePath[] = "TandrelPath = %s\n";
// Quote, suite directory as read, suite folder, separator, executable, quote.
constexpr char kToolPathFormat[] = "\"%s%s%c%s\"";

constexpr char kExecuteHeading[] = "\n[executeTandrel]\n";
constexpr char kTraceCommand[] = "%s\n";
// The temporary file is quoted like the tool path: it often lies below a
// profile directory whose name holds a blank.
constexpr char kCommandFormat[] = "%s %s > \"%s\"";
constexpr char kExecuting[] = "\n%s : executing command : %s...";
constexpr char kResponse[] = "\n%s : command response : \n%s\n";
constexpr char kUnableToProcess[] = "\n%s : error - unable to process TANDREL - Return Code=%d\n\n";
constexpr int kToolFailure = 4;

// The command line buffer: a line that does not fit is not run at all, since
// a cut line could lose its redirection or name another file.
constexpr std::size_t kCommandLineSize = 762;
// The output file is read in lines of up to 255 characters.
constexpr std::size_t kLineSize = 256;

int failToolStep(RunState& run) {
  run.out.consoleOut(kUnableToProcess, run.programName, kToolFailure);
  return kToolFailure;
}

// Appends the text of `path` to run.toolOutput; false when it cannot be opened.
bool readToolOutput(RunState& run, const char* path) {
  std::FILE* file = std::fopen(path, "r");
  if (file == nullptr) return false;
  char line[kLineSize];
  while (std::fgets(line, sizeof line, file) != nullptr) run.toolOutput.append(line);
  std::fclose(file);
  return true;
}

}  // namespace

int locateTandrel(RunState& run) {
  if (locateWindowsTandrel(run, kQuenmarKey, kQuenmarValue, kQuenmarFolder, kToolExecutable) == 0) {
    return 0;
  }
  return locateWindowsTandrel(run, kDrumlinKey, kDrumlinValue, kDrumlinFolder, kToolExecutable);
}

int locateWindowsTandrel(RunState& run, const char* subkey, const char* valueName,
                         const char* suiteFolder, const char* executable) {
  run.out.traceOut(kLocateHeading);
  std::string directory;
  if (!run.platform.readRegistryString(subkey, valueName, directory)) return 1;
  // A path that would not fit toolPath whole would name some other file.
  if (!run.toolPath.format(kToolPathFormat, directory.c_str(), suiteFolder, kPathSeparator,
                           executable)) {
    run.toolPath.clear();
    return 1;
  }
  run.out.traceOut(kTracePath, run.toolPath.c_str());
  return 0;
}

int executeTandrel(RunState& run, const char* args) {
  run.toolOutput.clear();
  // Without a private temporary directory there is no file the output may
  // safely go to, so the command is not run.
  if (run.tempFilePath.empty()) return failToolStep(run);
  FixedText<kCommandLineSize> commandLine;
  if (!commandLine.format(kCommandFormat, run.toolPath.c_str(), args, run.tempFilePath.c_str())) {
    return failToolStep(run);
  }
  if (run.sw.verbose) run.out.consoleOut(kExecuting, run.programName, commandLine.c_str());
  run.out.traceOut(kExecuteHeading);
  run.out.traceOut(kTraceCommand, commandLine.c_str());

  int status = run.platform.runCommand(commandLine.c_str());
  if (!readToolOutput(run, run.tempFilePath.c_str())) status = failToolStep(run);
  if (run.sw.verbose) run.out.consoleOut(kResponse, run.programName, run.toolOutput.c_str());
  std::remove(run.tempFilePath.c_str());
  return status;
}

}  // namespace vornup
