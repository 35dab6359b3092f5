// The switch combination check and the switch block of the debug trace.
#pragma once

#include "core/run_state.h"

namespace vornup {

// True when the combination is acceptable; a force switch clears the update,
// rewrite and downgrade flags.
bool validateSwitches(RunState& run);

// Writes the switch block into the debug trace.
void traceSwitches(RunState& run);

}  // namespace vornup
