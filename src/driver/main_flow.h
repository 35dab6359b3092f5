// One run of the program, from the argument vector to the exit code.
#pragma once

#include "platform/platform.h"

namespace vornup {

// Runs the program on `platform` and returns the process exit code.
int runVornup(int argc, char** argv, Platform& platform);

}  // namespace vornup
