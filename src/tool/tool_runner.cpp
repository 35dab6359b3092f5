#include "tool/tool_runner.h"

#include <cstring>

#include "platform/host_names.h"
#include "platform/interrupts.h"
#include "platform/platform.h"
#include "platform/safe_files.h"

namespace vornup {
namespace {

// How a command is shown: quoted tool path, arguments, quoted output file,
// the line an administrator would type to repeat it. The temporary file is
// quoted like the tool path: it often lies below a profile directory whose
// name holds a blank.
constexpr char kCommandFormat[] = "%s %s > \"%s\"";
// The shown line's buffer: a command whose line does not fit is not run at
// all, since the line would not show what runs.
constexpr std::size_t kCommandLineSize = 762;
// The reply file is read in blocks of this size.
constexpr std::size_t kReadBlockSize = 16 * 1024;

struct CommandKindName {
  const char* command;
  ToolCommandKind kind;
};
// clang-format off
constexpr CommandKindName kCommandKinds[] = {
    {"download", ToolCommandKind::download},
};
// clang-format on

bool startsWithCommand(const char* arguments, const char* command) {
  const std::size_t length = std::strlen(command);
  return std::strncmp(arguments, command, length) == 0 &&
         (arguments[length] == ' ' || arguments[length] == '\0');
}

// Reads the reply at `path` into `output`; false when it is no regular file
// or cannot be read.
bool readReply(const char* path, ToolOutput& output) {
  ReadOnlyFile file;
  uint64_t size = 0;
  if (!file.open(path, size)) return false;
  ToolReplySplitter splitter(output);
  uint8_t block[kReadBlockSize];
  uint64_t position = 0;
  bool read = true;
  for (;;) {
    std::size_t got = 0;
    read = file.readAt(position, block, sizeof block, got);
    if (!splitter.feed(reinterpret_cast<const char*>(block), got)) return true;
    // Fewer bytes than asked for: the end of the file, or a read error.
    if (!read || got < sizeof block) break;
    position += got;
  }
  splitter.finish();
  return read;
}

}  // namespace

ToolCommandKind toolCommandKind(const char* arguments) {
  for (const CommandKindName& entry : kCommandKinds) {
    if (startsWithCommand(arguments, entry.command)) return entry.kind;
  }
  return ToolCommandKind::query;
}

ToolTimeLimits toolTimeLimitsForMinutes(int minutes) {
  ToolTimeLimits limits;
  limits.download = std::chrono::minutes(minutes);
  if (limits.download < limits.query) limits.query = limits.download;
  return limits;
}

std::chrono::milliseconds toolTimeLimit(const RunState& run, ToolCommandKind kind) {
  return kind == ToolCommandKind::download ? run.toolTimeLimits.download
                                           : run.toolTimeLimits.query;
}

std::vector<std::string> splitToolArguments(const char* text) {
  std::vector<std::string> words;
  std::string current;
  bool quoted = false;
  bool inWord = false;
  for (const char* c = text; *c != '\0'; ++c) {
    if (*c == '"') {
      quoted = !quoted;
      inWord = true;
    } else if ((*c == ' ' || *c == '\t') && !quoted) {
      if (inWord) words.push_back(current);
      current.clear();
      inWord = false;
    } else {
      current += *c;
      inWord = true;
    }
  }
  if (inWord) words.push_back(current);
  return words;
}

ToolRunResult HostToolRunner::run(const ToolCommand& command, ToolOutput& output) {
  ToolRunResult result;
  result.limit = toolTimeLimit(run_, command.kind);
  // Without a private temporary file, or with a line cut short, the output
  // would go somewhere else: the command is not run.
  FixedText<kCommandLineSize> commandLine;
  if (run_.tempFilePath.empty() ||
      !commandLine.format(kCommandFormat, run_.toolPath.c_str(), command.arguments,
                          run_.tempFilePath.c_str())) {
    return result;
  }
  ProgramStart start;
  std::vector<std::string> tool = splitToolArguments(run_.toolPath.c_str());
  if (tool.size() > 1) return result;
  // No path at all names no program: starting it fails.
  start.program = tool.empty() ? std::string() : tool[0];
  start.arguments = splitToolArguments(command.arguments);
  start.outputPath = run_.tempFilePath.c_str();
  start.shownAs = commandLine.c_str();
  const bool download = command.kind == ToolCommandKind::download;
  // A query is refused by the platform once an interrupt was requested; a
  // download, never ended by one, is not started then either.
  if (download && interruptRequested()) {
    result.end = ToolRunEnd::interrupted;
    return result;
  }
  output.starting(commandLine.c_str());

  CommandLimits limits;
  limits.timeLimit = result.limit;
  // Setting a port's boot code back, the one command that still runs after
  // an interrupt, is not ended by it either.
  limits.endOnInterrupt = !download && !run_.settingBootCodeBack;
  const CommandResult ran = run_.platform.runProgram(start, limits);
  const char* replyPath = run_.tempFilePath.c_str();
  switch (ran.end) {
    case CommandEnd::exited:
      result.status = ran.status;
      result.end = readReply(replyPath, output) ? ToolRunEnd::exited : ToolRunEnd::replyUnreadable;
      break;
    case CommandEnd::timedOut:
      result.end = ToolRunEnd::timedOut;
      break;
    case CommandEnd::interrupted:
      result.end = ToolRunEnd::interrupted;
      break;
    case CommandEnd::notStarted:
      result.end = ToolRunEnd::notStarted;
      result.startError = ran.startError;
      break;
  }
  // The run's temporary directory is removed at exit; it must be empty.
  std::remove(replyPath);
  return result;
}

ToolRunResult runTool(RunState& run, const ToolCommand& command, ToolOutput& output) {
  if (run.toolRunner != nullptr) return run.toolRunner->run(command, output);
  HostToolRunner host(run);
  return host.run(command, output);
}

}  // namespace vornup
