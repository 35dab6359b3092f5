// The run report as a JSON document (docs/report.schema.json): a rendering
// of the run record (core/run_record.h) at the end of the run.
#pragma once

#include <ctime>
#include <functional>
#include <string>

namespace vornup {

struct RunState;

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

// A time as RFC 3339 in UTC ("2026-12-08T21:40:00Z").
std::string utcTimeText(std::time_t time);

}  // namespace vornup
