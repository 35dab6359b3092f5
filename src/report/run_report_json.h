// The run report as a JSON document (docs/report.schema.json): a rendering
// of the run record (core/run_record.h) at the end of the run.
#pragma once

#include <ctime>
#include <functional>
#include <string>

namespace vornup {

struct Adapter;
struct ImageRecord;
struct RunState;
enum class DownloadOutcome;
enum class ImageKind;
enum class RunOperation;

// Receives the document piece by piece; false stops the writing.
using ReportSink = std::function<bool(const std::string& text)>;

// Writes the report document, two-space indented, ending with a line end,
// one port at a time. Text that is not valid UTF-8 (from the tool, the
// command line or the host) is replaced by U+FFFD and control characters
// are escaped, so the document is always valid JSON. False when `put`
// refused a piece.
bool writeRunReport(const RunState& run, const ReportSink& put);

// The whole document as one text.
std::string runReportDocument(const RunState& run);

// The document that stands at the report's path while the run goes on: the
// run's start, no ports, no end ("in_progress": true).
std::string runInProgressDocument(const RunState& run);

// The names the report gives the run's operation ("update", ..., "query",
// "none") and a port's decision for one image kind ("update", ...,
// "not_required", "no_compatible_image", "unsupported", "skipped").
const char* operationName(RunOperation operation);
const char* decisionName(const RunState& run, const Adapter& a, const ImageRecord& record,
                         ImageKind kind);

// The names the report gives a port's type ("FC", "NIC", "iSCSI", "FCoE")
// and a download's outcome ("downloaded", ..., "none"); the host records
// use the same names.
const char* portTypeName(const Adapter& a);
const char* downloadOutcomeName(DownloadOutcome outcome);

// A time as RFC 3339 in UTC ("2026-12-08T21:40:00Z").
std::string utcTimeText(std::time_t time);

}  // namespace vornup
