// The hosts' command runner (posix_command.cpp, win32_command.cpp), shared by
// the host platforms.
#pragma once

#include <cstdint>
#include <string>

#include "platform/command.h"

namespace vornup {

// Told of the process of each command while it runs: the host-wide lock
// records it, so that a run killed outright keeps the host until the
// command ends.
class CommandWatch {
 public:
  // `process`: the started program's process id, the leader of the
  // command's process group (POSIX), or its process handle (Windows).
  virtual void commandStarted(std::intptr_t process) = 0;
  virtual void commandEnded() = 0;

 protected:
  ~CommandWatch() = default;
};

// Runs `commandLine` within `limits` (see Platform::runLimitedCommand);
// HostPlatform has already refused a command that an interrupt came before.
CommandResult runHostCommand(const std::string& commandLine, const CommandLimits& limits,
                             CommandWatch& watch);

// Starts `start` directly within `limits` (see Platform::runProgram), with the
// same refusal already made.
CommandResult runHostProgram(const ProgramStart& start, const CommandLimits& limits,
                             CommandWatch& watch);

}  // namespace vornup
