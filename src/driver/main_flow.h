// One run of the program, from the argument vector to the exit code.
#pragma once

#include <cstdio>

#include "platform/platform.h"

namespace vornup {

class ToolRunner;

// Runs the program on `platform` and returns the process exit code. User
// messages go to `console` (standard output unless a test captures them).
// The tool's commands run on `toolRunner`, or on the host's runner on
// `platform` when it is null.
int runVornup(int argc, char** argv, Platform& platform, std::FILE* console = stdout,
              ToolRunner* toolRunner = nullptr);

}  // namespace vornup
