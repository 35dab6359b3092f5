#include "tool/tandrel.h"

#include <chrono>
#include <cstdio>

#include "core/exit_codes.h"
#include "core/status_line.h"
#include "platform/host_names.h"
#include "platform/platform.h"
#include "tool/command_safety.h"
#include "tool/tool_runner.h"

namespace vornup {
namespace {

struct ToolKey {
  const char* subkey;
  const char* valueName;
  const char* suiteFolder;
};
// clang-format off
constexpr ToolKey kToolKeys[] = {
    {"SOFTWARE\\Korvane\\Quenmar", "QuenmarDir", "Quenmar"},
    {"SOFTWARE\\Korvane\\Drumlin", "DrumlinDir", "Drumlin"},
};
// clang-format on

constexpr char kLocateHeading[] = "\n[locateWindowsTandrel]\n";
constexpr char kTracePath[] = "TandrelPath = %s\n";
// Suite directory as read, suite folder, separator, executable.
constexpr char kToolFileFormat[] = "%s%s%c%s";
constexpr char kQuotedFormat[] = "\"%s\"";

constexpr char kNotSet[] = "not set";
constexpr char kNotAbsolute[] = "not an absolute path";
constexpr char kUnsafePath[] = "holds characters that may not stand on a command line";
constexpr char kTooLong[] = "too long";
constexpr char kNotExecutable[] = "no executable file there";
constexpr char kLookedFor[] = "%s: the management tool was looked for in:\n";
constexpr char kLookedForLine[] = "  %s: %s\n";

constexpr char kExecuteHeading[] = "\n[executeTandrel]\n";
constexpr char kTraceCommand[] = "%s\n";
constexpr char kExecuting[] = "\n%s : executing command : %s...";
constexpr char kResponse[] = "\n%s : command response : \n%s\n";
constexpr char kTimedOut[] =
    "%s: the command \"%s\" did not end within its time limit of %ld second(s) and was ended\n";
constexpr char kNotStarted[] = "%s: the management tool could not be started for \"%s\"\n";
constexpr char kReplyUnreadable[] = "%s: the reply of \"%s\" is no regular file that can be read\n";
constexpr char kInterrupted[] = "%s: \"%s\" was not run or was ended: the run is interrupted\n";

// The step's own line: the run goes on as the rules for the failed step say.
ToolStep failToolStep(RunState& run) {
  printStatusLine(run, kToolFailedLine, nullptr, exitStatus(ExitCode::toolFailure));
  return ToolStep{ToolStepOutcome::failed, 0};
}

// The reply of executeTandrel: run.toolOutput, up to its size; the trace and
// the /v line as the command starts.
class TandrelReply : public ToolOutput {
 public:
  explicit TandrelReply(RunState& run) : run_(run) {}

  void starting(const char* commandLine) override {
    started_ = true;
    if (run_.sw.verbose) run_.out.consoleOut(kExecuting, run_.programName, commandLine);
    run_.out.traceOut(kExecuteHeading);
    run_.out.traceOut(kTraceCommand, commandLine);
  }

  bool line(const char* text) override { return run_.toolOutput.append(text); }

  bool started() const { return started_; }

 private:
  RunState& run_;
  bool started_ = false;
};

// Explains on standard error why a command gave no reply.
void explainFailure(RunState& run, const ToolRunResult& result, const char* args) {
  switch (result.end) {
    case ToolRunEnd::timedOut:
      if (!run.out.silent)
        run.out.errorOut(
            kTimedOut, run.programName, args,
            static_cast<long>(
                std::chrono::duration_cast<std::chrono::seconds>(result.limit).count()));
      break;
    case ToolRunEnd::notStarted:
      if (!run.out.silent) run.out.errorOut(kNotStarted, run.programName, args);
      break;
    case ToolRunEnd::replyUnreadable:
      if (!run.out.silent) run.out.errorOut(kReplyUnreadable, run.programName, args);
      break;
    case ToolRunEnd::interrupted:
      if (!run.out.silent) run.out.errorOut(kInterrupted, run.programName, args);
      break;
    case ToolRunEnd::exited:
    case ToolRunEnd::refused:
      break;
  }
}

}  // namespace

bool locateTandrel(RunState& run) {
  std::string refusals[sizeof kToolKeys / sizeof kToolKeys[0]];
  std::size_t i = 0;
  for (const ToolKey& key : kToolKeys) {
    if (locateWindowsTandrel(run, key.subkey, key.valueName, key.suiteFolder, kToolExecutable,
                             &refusals[i])) {
      return true;
    }
    ++i;
  }
  // Where it looked, for the administrator (not in silent runs).
  if (run.out.silent) return false;
  run.out.errorOut(kLookedFor, run.programName);
  for (i = 0; i < sizeof kToolKeys / sizeof kToolKeys[0]; ++i) {
    const std::string where =
        run.platform.registryValueLocation(kToolKeys[i].subkey, kToolKeys[i].valueName);
    run.out.errorOut(kLookedForLine, where.c_str(), refusals[i].c_str());
  }
  return false;
}

bool locateWindowsTandrel(RunState& run, const char* subkey, const char* valueName,
                          const char* suiteFolder, const char* executable, std::string* refusal) {
  std::string ignored;
  std::string& why = refusal != nullptr ? *refusal : ignored;
  run.out.traceOut(kLocateHeading);
  std::string directory;
  if (!run.platform.readRegistryString(subkey, valueName, directory)) {
    why = kNotSet;
    return false;
  }
  run.toolPath.clear();
  run.record.toolPath.clear();
  // A path that would not fit toolPath whole would name some other file.
  FixedText<256> file;
  FixedText<256> quoted;
  if (!file.format(kToolFileFormat, directory.c_str(), suiteFolder, kPathSeparator, executable) ||
      !quoted.format(kQuotedFormat, file.c_str())) {
    why = "\"" + directory + "\": " + kTooLong;
    return false;
  }
  why = std::string(file.c_str()) + ": ";
  if (!isAbsoluteHostPath(directory.c_str())) {
    why += kNotAbsolute;
    return false;
  }
  if (!isSafeCommandPath(file.c_str())) {
    why += kUnsafePath;
    return false;
  }
  if (!run.platform.isExecutableFile(file.c_str())) {
    why += kNotExecutable;
    return false;
  }
  run.toolPath = quoted;
  run.record.toolPath = file.c_str();
  run.out.traceOut(kTracePath, run.toolPath.c_str());
  return true;
}

ToolStep executeTandrel(RunState& run, const char* args) {
  run.toolOutput.clear();
  const ToolCommand command{toolCommandKind(args), args};
  TandrelReply reply(run);
  const ToolRunResult result = runTool(run, command, reply);
  if (!reply.started() && result.end == ToolRunEnd::refused) return failToolStep(run);
  ToolStep step{ToolStepOutcome::ran, result.status};
  if (result.end != ToolRunEnd::exited) {
    run.toolOutput.clear();
    explainFailure(run, result, args);
    step = result.end == ToolRunEnd::interrupted ? ToolStep{ToolStepOutcome::interrupted, 0}
                                                 : failToolStep(run);
  }
  if (run.sw.verbose && reply.started()) {
    run.out.consoleOut(kResponse, run.programName, run.toolOutput.c_str());
  }
  return step;
}

}  // namespace vornup
