// The seam between the program and the management tool: one command at a
// time, with its time limit, its reply handed on piece by piece.
//
// HostToolRunner starts the real tool directly through the platform (no
// command interpreter); tests put a stand-in that answers from canned replies behind
// the same interface (RunState::toolRunner).
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "core/run_state.h"
#include "tool/tool_reply.h"

namespace vornup {

// Queries (list, attributes, PCI data, wakeup, boot code enable/disable) may
// be ended at their limit or by an interrupt (but for the command that sets a
// port's boot code back, RunState::settingBootCodeBack); a download is never
// ended by an interrupt, and no download starts once one was requested.
enum class ToolCommandKind { query, download };

struct ToolCommand {
  ToolCommandKind kind = ToolCommandKind::query;
  // The tool's arguments as they go on the command line.
  const char* arguments = "";
};

// The kind of the command `arguments` starts with: "download" is a
// download, every other command a query.
ToolCommandKind toolCommandKind(const char* arguments);

enum class ToolRunEnd {
  exited,          // ran to its end; the reply was read
  timedOut,        // ended at its time limit; no reply
  interrupted,     // ended, or not started, because an interrupt was requested
  notStarted,      // the tool could not be started
  replyUnreadable, // it ran, but its reply is no regular file that can be read
  refused,         // no command line could be composed safely; nothing ran
};

struct ToolRunResult {
  ToolRunEnd end = ToolRunEnd::refused;
  // The tool's exit status when it exited.
  int status = -1;
  // The time limit the command ran with.
  std::chrono::milliseconds limit{0};
  // Why the tool could not be started (notStarted), from the system.
  std::string startError;
};

// Receives what a runner does with one command.
class ToolOutput : public ToolReplySink {
 public:
  // The command line, just before the command starts.
  virtual void starting(const char* commandLine) { (void)commandLine; }
};

class ToolRunner {
 public:
  virtual ~ToolRunner() = default;
  // Runs `command` and hands its reply to `output`.
  virtual ToolRunResult run(const ToolCommand& command, ToolOutput& output) = 0;
};

// The limits for downloads of at most `minutes` minutes: queries get the
// smaller of five minutes and that.
ToolTimeLimits toolTimeLimitsForMinutes(int minutes);

// The limit of one command of `kind` in `run` (RunState::toolTimeLimits).
std::chrono::milliseconds toolTimeLimit(const RunState& run, ToolCommandKind kind);

// The words of `text`, split at blanks outside double quotes, the quotes
// removed: the tool's path and arguments as the program composes them (a
// quoted path holds no quote), as a command prompt would hand them over.
std::vector<std::string> splitToolArguments(const char* text);

// The host's runner: starts the tool with its arguments through
// Platform::runProgram, its output in the run's temp file, within the run's
// time limit for the kind; the command is shown as
// `"<tool path>" <arguments> > "<run's temp file>"`. The reply is read only
// from a regular file (never blocking, never more than the output asks for)
// and the file is removed.
class HostToolRunner : public ToolRunner {
 public:
  explicit HostToolRunner(RunState& run) : run_(run) {}
  ToolRunResult run(const ToolCommand& command, ToolOutput& output) override;

 private:
  RunState& run_;
};

// Runs `command` on the runner of `run`: its toolRunner, or a host runner on
// its platform when it has none.
ToolRunResult runTool(RunState& run, const ToolCommand& command, ToolOutput& output);

}  // namespace vornup
