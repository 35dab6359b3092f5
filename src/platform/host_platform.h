// What the Windows and POSIX host platforms share: command lines run through
// the host's command runner (host_command.h), and the host-wide lock.
#pragma once

#include <string>

#include "platform/host_lock.h"
#include "platform/platform.h"

namespace vornup {

class HostPlatform : public Platform {
 public:
  int runCommand(const std::string& commandLine) override;
  // A command that an interrupt may end is not started at all once an
  // interrupt was requested.
  CommandResult runLimitedCommand(const std::string& commandLine,
                                  const CommandLimits& limits) override;
  // Refused in the same way once an interrupt was requested.
  CommandResult runProgram(const ProgramStart& start, const CommandLimits& limits) override;
  HostLockResult acquireHostLock() override;
  std::string hostLockHolder() override;

 private:
  HostLock hostLock_;
};

}  // namespace vornup
