#include "tool/tandrel.h"

#include <chrono>
#include <cstdio>

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
constexpr char kNotStarted[] = "%s: the management tool could not be started for \"%s\": %s: %s\n";
constexpr char kReplyUnreadable[] = "%s: the reply of \"%s\" is no regular file that can be read\n";
constexpr char kInterrupted[] = "%s: \"%s\" was not run or was ended: the run is interrupted\n";
constexpr char kNotRun[] = "%s: the command \"%s\" was not run: %s\n";

// Why a step failed, by how its command ended.
struct FailureReason {
  ToolRunEnd end;
  const char* reason;
};
// clang-format off
constexpr FailureReason kFailureReasons[] = {
    {ToolRunEnd::timedOut, "it did not end within its time limit"},
    {ToolRunEnd::notStarted, "the management tool could not be started"},
    {ToolRunEnd::replyUnreadable, "its reply is no regular file that can be read"},
    {ToolRunEnd::refused, "no safe command line could be composed for it"},
};
// clang-format on

// A failed step: the run goes on as the rules for the failed step say.
ToolStep failToolStep(ToolRunEnd end) {
  for (const FailureReason& entry : kFailureReasons) {
    if (entry.end == end) return ToolStep{ToolStepOutcome::failed, 0, entry.reason};
  }
  return ToolStep{ToolStepOutcome::failed, 0, "the command failed"};
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
  if (explainUnfinishedCommand(run, result, args)) return;
  switch (result.end) {
    case ToolRunEnd::timedOut:
    case ToolRunEnd::notStarted:
      break;
    case ToolRunEnd::replyUnreadable:
      run.out.errorOut(kReplyUnreadable, run.programName, args);
      break;
    case ToolRunEnd::interrupted:
      run.out.errorOut(kInterrupted, run.programName, args);
      break;
    case ToolRunEnd::exited:
    case ToolRunEnd::refused:
      break;
  }
}

}  // namespace

bool explainUnfinishedCommand(RunState& run, const ToolRunResult& result, const char* args) {
  if (result.end == ToolRunEnd::timedOut) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(result.limit).count();
    run.out.errorOut(kTimedOut, run.programName, args, static_cast<long>(seconds));
    return true;
  }
  if (result.end == ToolRunEnd::notStarted) {
    run.out.errorOut(kNotStarted, run.programName, args, run.toolPath.c_str(),
                     result.startError.c_str());
    return true;
  }
  return false;
}

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
  // Where it looked, for the administrator.
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
  if (!reply.started() && result.end == ToolRunEnd::refused) {
    const ToolStep step = failToolStep(result.end);
    run.out.errorOut(kNotRun, run.programName, args, step.reason);
    return step;
  }
  ToolStep step{ToolStepOutcome::ran, result.status};
  if (result.end != ToolRunEnd::exited) {
    run.toolOutput.clear();
    explainFailure(run, result, args);
    step = result.end == ToolRunEnd::interrupted ? ToolStep{ToolStepOutcome::interrupted, 0}
                                                 : failToolStep(result.end);
  }
  if (run.sw.verbose && reply.started()) {
    run.out.consoleOut(kResponse, run.programName, run.toolOutput.c_str());
  }
  return step;
}

}  // namespace vornup
