// The run report (/json=<file>): one JSON document per run, written at its
// end beside the report and put in its place in one step, so a reader finds
// the previous report or the new one whole.
#pragma once

#include <string>

namespace vornup {

struct RunState;

// Takes the report path of /json=: records the command line, and proves that a file can be made beside the report (a
// temporary one is created and removed). False with the reason in `why`
// when the report could not be written; nothing is recorded then.
bool acceptRunReport(RunState& run, const std::string& path, int argc, char** argv,
                     std::string& why);

// At the end of a run that asked for a report: writes it from the run
// record, once. A report that cannot be written is named on standard error;
// the run's exit code stays.
void finishRunReport(RunState& run);

// True when a download asked for a reboot that the run must announce.
bool isRebootRequired(const RunState& run);

}  // namespace vornup
