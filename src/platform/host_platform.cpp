#include "platform/host_platform.h"

#include "platform/host_command.h"
#include "platform/interrupts.h"

namespace vornup {

int HostPlatform::runCommand(const std::string& commandLine) {
  return plainStatus(runHostCommand(commandLine, CommandLimits(), hostLock_));
}

CommandResult HostPlatform::runLimitedCommand(const std::string& commandLine,
                                              const CommandLimits& limits) {
  if (limits.endOnInterrupt && interruptRequested()) {
    CommandResult result;
    result.end = CommandEnd::interrupted;
    return result;
  }
  return runHostCommand(commandLine, limits, hostLock_);
}

CommandResult HostPlatform::runProgram(const ProgramStart& start, const CommandLimits& limits) {
  if (limits.endOnInterrupt && interruptRequested()) {
    CommandResult result;
    result.end = CommandEnd::interrupted;
    return result;
  }
  return runHostProgram(start, limits, hostLock_);
}

HostLockResult HostPlatform::acquireHostLock() { return hostLock_.acquire(); }

std::string HostPlatform::hostLockHolder() { return hostLock_.holder(); }

}  // namespace vornup
