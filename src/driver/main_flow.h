// One run of the program, from the argument vector to the exit code.
#pragma once

#include <cstdio>

#include "platform/platform.h"

namespace vornup {

// Runs the program on `platform` and returns the process exit code. User
// messages go to `console` (standard output unless a test captures them).
int runVornup(int argc, char** argv, Platform& platform, std::FILE* console = stdout);

}  // namespace vornup
