// The run report (/json=<file>): one JSON document per run, put in place in
// one step, so a reader finds a whole document. Before the run's first tool
// command a document that says the run is in progress replaces whatever
// report an earlier run left; the final one, rendered from the run record,
// replaces it at the end.
#pragma once

#include <string>

namespace vornup {

struct RunState;

// Takes the report path of /json=, and proves that a file can be made beside
// the report (a temporary one is created and removed). A path that names
// anything but a regular file (a directory, a link, a device, a FIFO), or,
// unless the run is root, another user's file, is refused. False with the
// reason in `why` when the report could not be written; nothing is recorded
// then.
bool acceptRunReport(RunState& run, const std::string& path, std::string& why);

// True when the report that the run asked for is the run's log file.
bool isReportTheLog(const RunState& run);

// Puts the in-progress document in place of the report, when one is asked
// for. False when it cannot be written: why goes to standard error, and the
// request is dropped (the run must end at once).
bool startRunReport(RunState& run);

// At the end of a run: writes the report it asked for from the run record,
// once, then the host's records (report/host_records_writer.h). A report
// that cannot be written is named on standard error and false is returned;
// the caller chooses the exit code, notes it in the record and calls again,
// which writes the host's records.
bool finishRunReport(RunState& run);

// True when a download asked for a reboot that the run must announce.
bool isRebootRequired(const RunState& run);

}  // namespace vornup
