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

ImageFacts imageFacts(const RunState& run, const Adapter& a, const ImageOutcome& outcome,
                      ImageKind kind, std::string before) {
  ImageFacts facts;
  facts.decision = decisionName(run, a, outcome, kind);
  facts.outcome = downloadOutcomeName(outcome.outcome);
  facts.file = outcome.file;
  facts.identifier = outcome.identifier;
  facts.sha256 = outcome.sha256;
  if (outcome.outcome == DownloadOutcome::kFailed ||
      outcome.outcome == DownloadOutcome::kNotAttempted) {
    facts.reason = outcome.reason;
  }
  facts.before = std::move(before);
  facts.after = outcome.after;
  return facts;
}

}  // namespace

RunFacts runFactsOf(const RunState& run, const RunEnd& end) {
  RunFacts facts;
  facts.version = run.versionString.c_str();
  facts.host = reportHostName();
  facts.user = runningUserName();
  facts.started = run.hostRecords.started;
  facts.ended = end.ended;
  facts.commandLine = run.hostRecords.arguments;
  facts.mode = run.sw.autoMode ? "auto" : "fwmatrix";
  facts.operation = operationName(run);
  facts.preview = run.sw.preview != 0;
  facts.toolUsed = !run.toolPath.empty();
  facts.exitCode = end.exitCode;
  facts.statusText = end.statusText;
  if (facts.statusText.empty()) facts.statusText = "Return Code=" + std::to_string(end.exitCode);
  facts.rebootRequired = end.rebootRequired;
  facts.interrupted = isInterruptedExitCode(end.exitCode);
  facts.unsupportedAdapters = run.counters.unsupportedCount;
  for (const auto& record : run.adapterList) {
    if (record == nullptr) continue;
    const Adapter& a = *record;
    const AdapterVersionTexts versions = versionTextsOf(a);
    PortFacts port;
    port.address = adapterAddress(a);
    port.model = a.model.c_str();
    port.portType = portTypeName(a);
    port.serial = a.serialNumber.c_str();
    port.supported = a.supported != 0 && !a.model.equals(kUnknownModelText);
    port.firmware = imageFacts(run, a, a.firmwareOutcome, ImageKind::firmware,
                               versionOrEmpty(versions.firmware.c_str(), a.fwVersion.c_str()));
    port.bootCode = imageFacts(run, a, a.bootCodeOutcome, ImageKind::bootCode,
                               versionOrEmpty(versions.bootCode.c_str(), a.bcVersion.c_str()));
    facts.ports.push_back(std::move(port));
  }
  return facts;
}

}  // namespace vornup
