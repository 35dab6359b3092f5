// The command line: switch parsing, the combination check and the switch
// block of the debug trace.
#pragma once

#include <cstddef>

#include "core/run_state.h"

namespace vornup {

// One name of the switch table (the text after the slash, lower case) and
// the flags it sets; `alsoFlag` is null for switches that set one flag.
struct SwitchName {
  const char* name;
  int Switches::*flag;
  int Switches::*alsoFlag;
};

extern const SwitchName kSwitchTable[];
extern const std::size_t kSwitchTableSize;

// Sets the switch flags from the arguments, opens the log file and the debug
// trace when asked; returns 0, or 4 after a switch error.
int parseSwitches(RunState& run, int argc, char** argv);

// For a run refused before its switches are read (the lock, the rights
// probe): the switch flags of the table and the run report's path, without
// opening the log file or the trace. A report path that cannot be written is
// named on standard error only.
void readSwitchesForReport(RunState& run, int argc, char** argv);

}  // namespace vornup
