// The hosts' command runner (posix_command.cpp, win32_command.cpp), shared by
// the host platforms.
#pragma once

#include <string>

#include "platform/command.h"

namespace vornup {

// Runs `commandLine` within `limits` (see Platform::runLimitedCommand);
// HostPlatform has already refused a command that an interrupt came before.
CommandResult runHostCommand(const std::string& commandLine, const CommandLimits& limits);

// Starts `start` directly within `limits` (see Platform::runProgram), with the
// same refusal already made.
CommandResult runHostProgram(const ProgramStart& start, const CommandLimits& limits);

}  // namespace vornup
