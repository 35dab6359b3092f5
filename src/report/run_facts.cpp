#include "report/run_facts.h"

#include "core/adapter.h"
#include "core/placeholder_text.h"
#include "core/run_state.h"
#include "platform/report_host.h"
#include "platform/system_log.h"
#include "report/adapter_lines.h"
#include "report/run_report_json.h"

namespace vornup {
namespace {

std::string versionOrEmpty(const char* shown, const char* recorded) {
  return *recorded == '\0' || isPlaceholderText(recorded) ? std::string() : std::string(shown);
}

ImageFacts imageFacts(const RunState& run, const Adapter& a, const ImageRecord& record,
                      ImageKind kind, std::string before) {
  ImageFacts facts;
  facts.decision = decisionName(run, a, record, kind);
  facts.outcome = downloadOutcomeName(record.outcome);
  facts.file = record.file;
  facts.identifier = record.identifier;
  facts.sha256 = record.sha256;
  if (record.outcome == DownloadOutcome::failed ||
      record.outcome == DownloadOutcome::notAttempted) {
    facts.reason = record.reasonText();
  }
  facts.before = std::move(before);
  facts.after = record.after;
  return facts;
}

}  // namespace

RunFacts runFactsOf(const RunState& run) {
  const RunRecord& record = run.record;
  RunFacts facts;
  facts.version = run.versionString.c_str();
  facts.host = reportHostName();
  facts.user = runningUserName();
  facts.started = record.started;
  facts.ended = record.ended;
  facts.commandLine = record.arguments;
  facts.mode = record.switches.autoMode ? "auto" : "fwmatrix";
  facts.operation = operationName(record.operation());
  facts.preview = record.switches.preview;
  facts.toolUsed = !record.toolPath.empty();
  facts.exitCode = record.exitCode;
  facts.statusText = record.statusText;
  if (facts.statusText.empty()) facts.statusText = "Return Code=" + std::to_string(record.exitCode);
  facts.rebootRequired = record.rebootRequired;
  facts.interrupted = record.interrupted;
  facts.unsupportedAdapters = run.counters.unsupportedCount;
  for (const auto& entry : record.ports) {
    if (entry == nullptr) continue;
    const Adapter& a = *entry;
    const AdapterVersionTexts versions = versionTextsOf(a);
    PortFacts port;
    port.address = adapterAddress(a);
    port.model = a.model.c_str();
    port.portType = portTypeName(a);
    port.serial = a.serialNumber.c_str();
    port.supported = a.supported != 0 && !a.model.equals(kUnknownModelText);
    port.firmware = imageFacts(run, a, a.firmwareRecord, ImageKind::firmware,
                               versionOrEmpty(versions.firmware.c_str(), a.fwVersion.c_str()));
    port.bootCode = imageFacts(run, a, a.bootCodeRecord, ImageKind::bootCode,
                               versionOrEmpty(versions.bootCode.c_str(), a.bootCodeVersion.c_str()));
    facts.ports.push_back(std::move(port));
  }
  return facts;
}

}  // namespace vornup
