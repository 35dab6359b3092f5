// The run report as a JSON document (docs/report.schema.json): built from the
// run state at the end of the run.
#pragma once

#include <ctime>
#include <string>

namespace vornup {

struct Adapter;
struct ImageOutcome;
struct RunState;
enum class DownloadOutcome;
enum class ImageKind;

// How the run ended, as the report states it.
struct RunEnd {
  int exitCode = 0;
  std::string statusText;
  bool rebootRequired = false;
  std::time_t ended = 0;
};

// The report document, two-space indented, ending with a line end. Text
// that is not valid UTF-8 (from the tool, the command line or the host) is
// replaced by U+FFFD and control characters are escaped, so the document is
// always valid JSON.
std::string runReportDocument(const RunState& run, const RunEnd& end);

// The document that stands at the report's path while the run goes on: the
// run's start, no ports, no end ("in_progress": true).
std::string runInProgressDocument(const RunState& run);

// The names the report gives the run's operation ("update", ..., "query",
// "none") and a port's decision for one image kind ("update", ...,
// "not_required", "no_compatible_image", "unsupported", "skipped").
const char* operationName(const RunState& run);
const char* decisionName(const RunState& run, const Adapter& a, const ImageOutcome& outcome,
                         ImageKind kind);

// The names the report gives a port's type ("FC", "NIC", "iSCSI", "FCoE"),
// a download's outcome ("downloaded", ..., "none"), and whether an exit code
// is one of an interrupted run; the host records use the same names.
const char* portTypeName(const Adapter& a);
const char* downloadOutcomeName(DownloadOutcome outcome);
bool isInterruptedExitCode(int code);

// A time as RFC 3339 in UTC ("2026-12-08T21:40:00Z").
std::string utcTimeText(std::time_t time);

// The text of a status line as printed ("\n\nvornup: Error - ... - Return
// Code=3\n\n"): without the program name, the return code and the line ends.
std::string statusTextOf(const std::string& line, const char* programName);

}  // namespace vornup
