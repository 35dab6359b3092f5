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
  bool Switches::*flag;
  bool Switches::*alsoFlag;
};

extern const SwitchName kSwitchTable[];
extern const std::size_t kSwitchTableSize;

// How parsing the switches ended; anything but `accepted` ends the run with
// the usage text.
enum class SwitchOutcome {
  accepted,
  unknownSwitch,       // no such switch, or a malformed /timeout=
  malformedLogSwitch,  // "/lo=FILE" and other log switch names
  multipleLogFiles,
  logFileUnopenable,
  noSwitch,            // nothing but the trace switch
  multipleReports,     // a second /json=
  reportUnwritable,    // a /json= file that cannot be written
};

// The switch that sets the download time limit: "/timeout=<minutes>".
constexpr char kTimeoutSwitch[] = "timeout=";
// Its accepted values: whole minutes, at most one day.
constexpr int kMaxTimeoutMinutes = 1440;

// Sets the switch flags and the tool's time limits from the arguments, opens
// the log file and the debug trace when asked. A switch error is reported
// (through the outcome table) where it is found.
SwitchOutcome parseSwitches(RunState& run, int argc, char** argv);

// For a run refused before its switches are read (the lock, the rights
// probe): the switch flags of the table and the run report's path, without
// opening the log file or the trace. A report path that cannot be written is
// named on standard error only.
void readSwitchesForReport(RunState& run, int argc, char** argv);

}  // namespace vornup
