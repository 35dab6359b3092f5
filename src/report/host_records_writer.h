// Writes what a run leaves on its host at its end: a line in the run history
// (runs that used the tool), the metrics file (when asked for), and the
// audit records in the system log (runs that used the tool).
//
// The settings (string values of HKEY_LOCAL_MACHINE\SOFTWARE\Korvane\vornup,
// on POSIX files of the registry directory):
//   HistoryFile       the history's path instead of the default
//                     (platform/history_file.h)
//   MetricsDirectory  a textfile collector's directory: the metrics also go
//                     to vornup.prom in it (not from a run refused the host:
//                     the file belongs to the run that holds it)
// A record that cannot be written is a warning on standard error; the run's
// exit code and its other outputs stay.
#pragma once

#include <cstdint>

namespace vornup {

struct RunState;

// The history becomes history.jsonl.1 when it reaches this size.
constexpr uint64_t kHistoryRotateBytes = 4 * 1024 * 1024;

// Once per run; later calls do nothing.
void writeHostRecords(RunState& run);

}  // namespace vornup
