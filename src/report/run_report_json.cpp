#include "report/run_report_json.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <cstring>

#include "core/adapter.h"
#include "core/image_kind.h"
#include "core/placeholder_text.h"
#include "core/run_state.h"
#include "platform/report_host.h"
#include "report/adapter_lines.h"

namespace vornup {

namespace {

using Json = nlohmann::ordered_json;

constexpr int kSchemaVersion = 1;
constexpr char kProgram[] = "vornup";

std::string hexId(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%X", static_cast<unsigned>(value));
  return text;
}

bool isPlaceholderVersion(const char* version) {
  return *version == '\0' || isPlaceholderText(version);
}

Json orNull(const std::string& text) { return text.empty() ? Json(nullptr) : Json(text); }

const char* modeName(const Switches& sw) { return sw.autoMode ? "auto" : "fwmatrix"; }

// The word for a download decision: forced kinds are "force", the others
// are named by the operation.
const char* downloadDecisionName(const Switches& sw, ImageKind kind) {
  if (kind == ImageKind::firmware ? sw.forceFw : sw.forceBootCode) return "force";
  if (sw.update) return "update";
  if (sw.rewrite) return "rewrite";
  if (sw.downgrade) return "downgrade";
  return "force";
}

// Why the baseline refused an image, with the baseline it was judged by.
Json refusalObject(const RunState& run, const ImageRecord& image) {
  if (image.refusal == ImageRefusal::none) return nullptr;
  const BaselineState& state = run.baseline;
  Json baseline = nullptr;
  if (state.loaded) {
    baseline = Json{{"file", state.file},
                    {"version", state.baseline.version},
                    {"expires", state.baseline.expiresText},
                    {"key_id", orNull(state.keyId)}};
  }
  return Json{{"reason", refusalName(image.refusal)},
              {"signed_mode", state.signedMode},
              {"baseline", baseline}};
}

Json imageResult(const RunState& run, const Adapter& a, const ImageRecord& record,
                 ImageKind kind) {
  Json image = nullptr;
  if (!record.file.empty()) {
    image = Json{{"file", record.file},
                 {"path", record.path},
                 {"identifier", record.identifier},
                 {"sha256", orNull(record.sha256)}};
  }
  const bool failed = record.outcome == DownloadOutcome::failed ||
                      record.outcome == DownloadOutcome::notAttempted;
  return Json{
      {"image", image},
      {"decision", decisionName(run, a, record, kind)},
      {"outcome", downloadOutcomeName(record.outcome)},
      {"reason", failed ? orNull(record.reasonText()) : Json(nullptr)},
      {"tool_reply", failed ? orNull(record.toolReply) : Json(nullptr)},
      {"refusal", refusalObject(run, record)},
  };
}

// The read of the port that failed, or null.
Json readFailureObject(const Adapter& a) {
  if (!a.readFailure.failed()) return nullptr;
  return Json{{"command", a.readFailure.command}, {"reason", a.readFailure.reason}};
}

const char* supportName(const Adapter& a) {
  if (a.model.equals(kUnknownModelText)) return "unknown";
  return a.supported != 0 ? "supported" : "unsupported";
}

Json portObject(const RunState& run, const Adapter& a, std::size_t number) {
  // The versions as the query line shows them.
  const AdapterVersionTexts versions = versionTextsOf(a);
  const Json bootBefore =
      isPlaceholderVersion(a.bootCodeVersion.c_str()) ? Json(nullptr) : Json(versions.bootCode.c_str());
  return Json{
      {"number", number},
      {"model", a.model.c_str()},
      {"port_type", portTypeName(a)},
      {"address", adapterAddress(a)},
      {"address_kind", portNaming(a) == PortNaming::mac ? "mac" : "wwn"},
      {"pci",
       {{"vendor_id", hexId(a.vendorID)},
        {"device_id", hexId(a.pciID)},
        {"subsystem_vendor_id", hexId(a.subVenDevID)},
        {"subsystem_id", hexId(a.subSysDevID)}}},
      {"serial", a.serialNumber.c_str()},
      {"bus", a.bus},
      {"firmware", {{"before", versions.firmware.c_str()}, {"after", orNull(a.firmwareRecord.after)}}},
      {"boot_code", {{"before", bootBefore}, {"after", orNull(a.bootCodeRecord.after)}}},
      {"boot_code_enabled", a.bootEnabled != 0},
      {"support", supportName(a)},
      {"read_failure", readFailureObject(a)},
      {"images",
       {{"firmware", imageResult(run, a, a.firmwareRecord, ImageKind::firmware)},
        {"boot_code", imageResult(run, a, a.bootCodeRecord, ImageKind::bootCode)}}},
  };
}

// Where the ports go in the document: the array is written one port at a
// time, so a host with thousands of ports never holds its report whole.
constexpr char kPortsMarker[] = "\n  \"ports\": [],\n";
// A port's lines inside the ports array.
constexpr char kPortIndent[] = "    ";

std::string dumped(const Json& value) {
  return value.dump(2, ' ', false, Json::error_handler_t::replace);
}

// A port's object as it stands in the ports array: every line indented.
std::string portText(const Json& port) {
  const std::string text = dumped(port);
  std::string indented = kPortIndent;
  indented.reserve(text.size() + text.size() / 8);
  for (char c : text) {
    indented += c;
    if (c == '\n') indented += kPortIndent;
  }
  return indented;
}

// The run's own facts, the ports left out. While the run goes on its end
// is not known yet.
Json runFacts(const RunState& run, bool inProgress) {
  const RunRecord& record = run.record;
  std::string statusText = record.statusText;
  if (statusText.empty()) statusText = "Return Code=" + std::to_string(record.exitCode);
  const Json unknown = nullptr;
  return Json{
      {"schema_version", kSchemaVersion},
      {"program", {{"name", kProgram}, {"version", run.versionString.c_str()}}},
      {"host", reportHostName()},
      {"started", utcTimeText(record.started)},
      {"ended", inProgress ? unknown : Json(utcTimeText(record.ended))},
      {"command_line", record.arguments},
      {"mode", modeName(record.switches)},
      {"operation", operationName(record.operation())},
      {"preview", record.switches.preview},
      {"tool_path", inProgress ? unknown : orNull(record.toolPath)},
      {"ports", Json::array()},
      {"status",
       inProgress ? unknown : Json{{"text", statusText}, {"exit_code", record.exitCode}}},
      {"exit_code", inProgress ? unknown : Json(record.exitCode)},
      {"reboot_required", !inProgress && record.rebootRequired},
      {"interrupted", !inProgress && record.interrupted},
      {"in_progress", inProgress},
  };
}

}  // namespace

const char* operationName(RunOperation operation) {
  switch (operation) {
    case RunOperation::update:
      return "update";
    case RunOperation::rewrite:
      return "rewrite";
    case RunOperation::downgrade:
      return "downgrade";
    case RunOperation::force:
      return "force";
    case RunOperation::query:
      return "query";
    case RunOperation::none:
      break;
  }
  return "none";
}

const char* decisionName(const RunState& run, const Adapter& a, const ImageRecord& record,
                         ImageKind kind) {
  switch (record.decision) {
    case ImageDecision::download:
      return downloadDecisionName(run.sw, kind);
    case ImageDecision::notRequired:
      return "not_required";
    case ImageDecision::noCompatibleImage:
      return "no_compatible_image";
    case ImageDecision::skipped:
      break;
  }
  return a.supported == 0 ? "unsupported" : "skipped";
}

const char* portTypeName(const Adapter& a) { return portTypeNameOf(a.cnaType); }

const char* downloadOutcomeName(DownloadOutcome outcome) {
  switch (outcome) {
    case DownloadOutcome::downloaded:
      return "downloaded";
    case DownloadOutcome::failed:
      return "failed";
    case DownloadOutcome::previewed:
      return "previewed";
    case DownloadOutcome::notAttempted:
      return "not_attempted";
    case DownloadOutcome::none:
      break;
  }
  return "none";
}

std::string utcTimeText(std::time_t time) {
  std::tm parts{};
  const bool known = utcCalendarTime(time, parts);
  char text[32];
  if (!known || std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts) == 0) {
    return "1970-01-01T00:00:00Z";
  }
  return text;
}

bool writeRunReport(const RunState& run, const ReportSink& put) {
  const std::string facts = dumped(runFacts(run, false));
  const std::size_t marker = facts.find(kPortsMarker);
  if (marker == std::string::npos) return put(facts + "\n");
  // Up to and with "ports": , then the array, then the rest after "[]".
  const std::size_t arrayAt = marker + std::strlen(kPortsMarker) - std::strlen("[],\n");
  if (!put(facts.substr(0, arrayAt))) return false;
  std::size_t number = 0;
  for (const auto& record : run.record.ports) {
    if (record == nullptr) continue;
    if (!put((number == 0 ? "[\n" : ",\n") + portText(portObject(run, *record, number + 1)))) {
      return false;
    }
    ++number;
  }
  if (!put(number == 0 ? "[]" : "\n  ]")) return false;
  return put(facts.substr(arrayAt + std::strlen("[]")) + "\n");
}

std::string runReportDocument(const RunState& run) {
  std::string document;
  writeRunReport(run, [&document](const std::string& text) {
    document += text;
    return true;
  });
  return document;
}

std::string runInProgressDocument(const RunState& run) {
  return dumped(runFacts(run, true)) + "\n";
}

}  // namespace vornup
