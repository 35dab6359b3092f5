#include "report/audit_records.h"

#include "report/record_text.h"
#include "report/run_facts.h"

namespace vornup {
namespace {

// Exit codes of a run that did what it was asked (with or without adapters
// it had to leave alone).
constexpr int kSuccessCodes[] = {0, 1, 11, 12};

std::string quoted(const char* name, const std::string& value) {
  return std::string(" ") + name + "=\"" + escapedRecordText(value) + "\"";
}

std::string bare(const char* name, const std::string& value) {
  return std::string(" ") + name + "=" + value;
}

std::string commandLineText(const std::vector<std::string>& arguments) {
  std::string text;
  for (const std::string& argument : arguments) {
    if (!text.empty()) text += ' ';
    text += argument;
  }
  return text;
}

AuditRecord downloadRecord(const RunFacts& facts, const PortFacts& port, const char* kind,
                           const ImageFacts& image) {
  AuditRecord record;
  const bool failed = image.outcome == "failed";
  record.severity = failed ? AuditSeverity::error : AuditSeverity::information;
  record.text = "download" + quoted("user", facts.user) + quoted("address", port.address) +
                quoted("model", port.model) + bare("kind", kind) + quoted("image", image.file) +
                quoted("sha256", image.sha256) + quoted("before", image.before) +
                quoted("after", image.now()) + bare("outcome", image.outcome);
  if (failed) record.text += quoted("reason", image.reason);
  return record;
}

AuditSeverity runSeverity(const RunFacts& facts) {
  if (facts.interrupted) return AuditSeverity::warning;
  for (int code : kSuccessCodes) {
    if (facts.exitCode == code) return AuditSeverity::information;
  }
  return AuditSeverity::error;
}

}  // namespace

std::vector<AuditRecord> auditRecordsOf(const RunFacts& facts) {
  std::vector<AuditRecord> records;
  int downloads = 0;
  int failed = 0;
  for (const PortFacts& port : facts.ports) {
    const std::pair<const char*, const ImageFacts*> kinds[] = {{"firmware", &port.firmware},
                                                               {"boot_code", &port.bootCode}};
    for (const auto& kind : kinds) {
      if (!kind.second->downloadRan()) continue;
      ++downloads;
      failed += kind.second->outcome == "failed" ? 1 : 0;
      records.push_back(downloadRecord(facts, port, kind.first, *kind.second));
    }
  }
  AuditRecord run;
  run.severity = runSeverity(facts);
  run.text = "run" + quoted("user", facts.user) + quoted("operation", facts.operation) +
             quoted("mode", facts.mode) + bare("preview", facts.preview ? "yes" : "no") +
             quoted("command_line", commandLineText(facts.commandLine)) +
             bare("exit_code", std::to_string(facts.exitCode)) +
             quoted("status", facts.statusText) +
             bare("adapters", std::to_string(facts.ports.size())) +
             bare("downloads", std::to_string(downloads)) + bare("failed", std::to_string(failed));
  records.push_back(std::move(run));
  return records;
}

}  // namespace vornup
