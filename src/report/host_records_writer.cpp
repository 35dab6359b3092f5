#include "report/host_records_writer.h"

#include <string>
#include <vector>

#include "platform/host_names.h"
#include "core/run_state.h"
#include "platform/history_file.h"
#include "platform/platform.h"
#include "platform/system_log.h"
#include "report/audit_records.h"
#include "report/history_line.h"
#include "report/replaced_file.h"
#include "report/run_facts.h"
#include "report/run_metrics.h"
#include "report/run_report_json.h"

namespace vornup {
namespace {

constexpr char kSettingsKey[] = "SOFTWARE\\Korvane\\vornup";
constexpr char kHistorySetting[] = "HistoryFile";
constexpr char kMetricsDirectorySetting[] = "MetricsDirectory";
constexpr char kMetricsFileName[] = "vornup.prom";

constexpr char kHistoryNotWritten[] = "%s: the run history %s was not written: %s\n";
constexpr char kMetricsNotWritten[] = "%s: the metrics file %s was not written: %s\n";
constexpr char kAuditNotSent[] = "%s: audit record not sent to the system log: %s\n";

std::string setting(RunState& run, const char* name) {
  std::string value;
  if (!run.platform.readRegistryString(kSettingsKey, name, value)) value.clear();
  return value;
}

void appendHistory(RunState& run, const RunFacts& facts) {
  std::string path = setting(run, kHistorySetting);
  if (path.empty()) path = defaultHistoryPath();
  std::string why;
  if (!appendHistoryLine(path, historyLineOf(facts), kHistoryRotateBytes, why)) {
    run.out.errorOut(kHistoryNotWritten, run.programName, path.c_str(), why.c_str());
  }
}

// Where the metrics go: /prom= and the host's metrics directory (none for a
// refused run); empty names are skipped.
std::vector<std::string> metricsPathsOf(RunState& run) {
  std::string directory =
      run.record.ending == RunEnding::refused ? std::string() : setting(run, kMetricsDirectorySetting);
  if (!directory.empty() && directory.back() != kPathSeparator && directory.back() != '/') {
    directory += kPathSeparator;
  }
  std::vector<std::string> paths;
  if (!run.hostRecords.metricsPath.empty()) paths.push_back(run.hostRecords.metricsPath);
  if (!directory.empty()) paths.push_back(directory + kMetricsFileName);
  return paths;
}

void writeMetrics(RunState& run, const RunFacts& facts, const std::vector<std::string>& paths) {
  if (paths.empty()) return;
  const std::string text = metricsTextOf(facts);
  for (const std::string& path : paths) {
    std::string why;
    if (!replaceFileWith(path, text, why)) {
      run.out.errorOut(kMetricsNotWritten, run.programName, path.c_str(), why.c_str());
    }
  }
}

void sendAudit(RunState& run, const RunFacts& facts) {
  bool warned = false;
  for (const AuditRecord& record : auditRecordsOf(facts)) {
    std::string why;
    const AuditDelivery delivery = sendAuditRecord(record.severity, record.text, why);
    // A host without a log service (a container, a rescue system) gets no
    // warning; a service that does not take a record at once, one per run.
    if (delivery == AuditDelivery::noLogService) return;
    if (delivery == AuditDelivery::failed && !warned) {
      run.out.errorOut(kAuditNotSent, run.programName, why.c_str());
      warned = true;
    }
  }
}

}  // namespace

void writeHostRecords(RunState& run) {
  if (run.hostRecords.written) return;
  run.hostRecords.written = true;
  // The facts hold every port again: gathered only when a record is due.
  const bool toolUsed = !run.record.toolPath.empty();
  const std::vector<std::string> metricsPaths = metricsPathsOf(run);
  if (!toolUsed && metricsPaths.empty()) return;
  const RunFacts facts = runFactsOf(run);
  if (toolUsed) appendHistory(run, facts);
  writeMetrics(run, facts, metricsPaths);
  if (toolUsed) sendAudit(run, facts);
}

}  // namespace vornup
