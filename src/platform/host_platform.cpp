#include "platform/host_platform.h"

#include "platform/host_command.h"
#include "platform/interrupts.h"

namespace vornup {

int HostPlatform::runCommand(const std::string& commandLine) {
  return plainStatus(runHostCommand(commandLine, CommandLimits()));
}

CommandResult HostPlatform::runLimitedCommand(const std::string& commandLine,
                                              const CommandLimits& limits) {
  if (limits.endOnInterrupt && interruptRequested()) {
    CommandResult result;
    result.end = CommandEnd::interrupted;
    return result;
  }
  return runHostCommand(commandLine, limits);
}

CommandResult HostPlatform::runProgram(const ProgramStart& start, const CommandLimits& limits) {
  if (limits.endOnInterrupt && interruptRequested()) {
    CommandResult result;
    result.end = CommandEnd::interrupted;
    return result;
  }
  return runHostProgram(start, limits);
}

HostLockResult HostPlatform::acquireHostLock() { return hostLock_.acquire(); }

}  // namespace vornup
