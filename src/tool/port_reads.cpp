#include "tool/port_reads.h"

#include <cstring>
#include <string>

#include "platform/interrupts.h"
#include "tool/command_safety.h"

namespace vornup {
namespace {

constexpr char kNoReply[] = "the tool gave no reply";
constexpr char kReadFailed[] = "%s: port %s: the %s command failed (%s); the port counts as failed\n";

std::string commandName(const char* format) {
  const char* blank = std::strchr(format, ' ');
  return blank == nullptr ? std::string(format)
                          : std::string(format, static_cast<std::size_t>(blank - format));
}

}  // namespace

ToolStep readPort(RunState& run, Adapter& a, const char* format, const char* address,
                  const char* extra, ReplyNeed need) {
  ToolStep step = executeForAddress(run, format, address, extra);
  if (interruptRequested()) return step;
  const char* reason = nullptr;
  if (step.outcome == ToolStepOutcome::failed) {
    reason = step.reason;
  } else if (step.outcome == ToolStepOutcome::ran && need == ReplyNeed::reply &&
             run.toolOutput.empty()) {
    reason = kNoReply;
  }
  if (reason == nullptr || a.readFailure.failed()) return step;
  a.readFailure.command = commandName(format);
  a.readFailure.reason = reason;
  run.out.errorOut(kReadFailed, run.programName, address, a.readFailure.command.c_str(), reason);
  return step;
}

}  // namespace vornup
