// One simulated host answering tool commands, call after call.
//
// The simulator program loads a Simulation from the host file and the state
// file, answers one call and saves the state again; tests keep a Simulation
// in memory and answer every command line the program runs.
#pragma once

#include <string>
#include <vector>

#include "sim/host.h"

namespace tandrelsim {

// Exit statuses of the simulator.
enum : int {
  kExitOk = 0,
  kExitCommandFailed = 1,  // unknown address, no boot code to switch, failed download
  kExitUsage = 2,          // unknown command or wrong arguments
  kExitSetup = 3,          // host file, state file or environment unusable
};

struct Reply {
  std::string text;   // standard output
  std::string error;  // standard error
  int exitStatus = kExitOk;
};

class Simulation {
 public:
  Host host;
  // Calls answered so far, across processes (kept in the state file).
  unsigned long calls = 0;
  // commandLogLine of every call this object answered.
  std::vector<std::string> commandLog;

  // Counts the call, answers it and damages the reply as the host's fault
  // knobs say. Commands change the host: boot code switched, versions
  // installed by downloads.
  Reply call(const std::vector<std::string>& args);

  // What the calls changed, as the text of a state file.
  std::string stateText() const;
  // Applies a state file's text to the host loaded from the host file.
  bool applyState(const std::string& text, std::string& error);
};

// The command log line of one call: its arguments joined by blanks, line ends
// inside an argument turned into blanks.
std::string commandLogLine(const std::vector<std::string>& args);

}  // namespace tandrelsim
