// The run report (/json=<file>): one JSON document per run, written at its
// end in one step, so a reader finds the previous report or the new one whole.
#pragma once

#include <string>

namespace vornup {

struct RunState;

// Takes the report path of /json=: records the command line and the start
// of the run, and proves that a file can be made beside the report (a
// temporary one is created and removed). False with the reason in `why`
// when the report could not be written; nothing is recorded then.
bool acceptRunReport(RunState& run, const std::string& path, int argc, char** argv,
                     std::string& why);

// Records the command line and the start of the run for the records written
// at its end.
void noteRunStart(RunState& run, int argc, char** argv);

// At the end of a run: writes the report it asked for, once, then the host's
// records (report/host_records_writer.h). The status
// text is taken from the last status line the run printed unless
// `statusText` gives it. A report that cannot be written is named on
// standard error; the run's exit code stays.
void finishRunReport(RunState& run, int exitCode, const char* statusText = nullptr);

// True when a download asked for a reboot that the run must announce.
bool isRebootRequired(const RunState& run);

}  // namespace vornup
