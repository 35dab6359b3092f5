// The records a run leaves on its host besides its console text: the run
// history, the metrics file and the system log. What the run knew when it
// started, and where the metrics go.
#pragma once

#include <ctime>
#include <string>
#include <vector>

namespace vornup {

struct HostRecords {
  std::vector<std::string> arguments;  // the command line after the program name
  std::time_t started = 0;
  std::string metricsPath;  // /prom=<file>; empty: none asked for
  // The run was refused the host (no rights, or another run holds it): the
  // host's own records (the collector's metrics) belong to the run that
  // holds it.
  bool refused = false;
  bool written = false;     // a run writes them once
};

}  // namespace vornup
