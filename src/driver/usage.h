// The usage text.
#pragma once

#include "core/run_state.h"

namespace vornup {

// Prints the usage text through consoleOut, so /s silences it and the log
// file receives it.
void printUsage(RunState& run);

}  // namespace vornup
