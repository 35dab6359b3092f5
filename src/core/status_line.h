// The status line: the line that ends a run and names its exit code
// ("\n\nvornup: All required updates succeeded - Return Code=0\n\n"). Its
// text goes into the run record as it is printed, so no rendering of
// the run reads them back from the console.
#pragma once

#include "core/run_state.h"

namespace vornup {

// The parts of one status line. Every line ends with " - Return Code=<code>"
// and a blank line.
struct StatusLine {
  const char* opening;    // the line ends before the program name: "\n" or "\n\n"
  const char* separator;  // between the program name and the text: ": " or " : "
  const char* text;       // printf format of the text, with at most one %s (the detail)
};

// The text of the status line of a run that found no adapter of a known
// model (its line ends differ by where the run ends).
inline constexpr char kNoSupportedAdaptersText[] = "Error - no supported Korvane HBAs found";

// Where a status line goes: the console (and the log), or standard error for
// refusals that come before the run may touch its files.
enum class StatusChannel { console, standardError };

// Prints `line` with `detail` in its text and `code`, and notes its text in
// run.record (the way out of the run notes the exit code).
void printStatusLine(RunState& run, const StatusLine& line, const char* detail, int code,
                     StatusChannel channel = StatusChannel::console);

}  // namespace vornup
