// The records a run leaves on its host besides its console text: the run
// history, the metrics file and the system log: where the metrics go. A run
// refused the host (no rights, or another run holds it) writes no metrics
// file of the host's own: it belongs to the run that holds the host.
#pragma once

#include <string>

namespace vornup {

struct HostRecords {
  std::string metricsPath;  // /prom=<file>; empty: none asked for
  bool written = false;     // a run writes them once
};

}  // namespace vornup
