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
constexpr char kReturnCodeMarker[] = " - Return Code=";

// The exit codes of an interrupted run (POSIX 128 + signal, Windows one code).
constexpr int kInterruptedExitCodes[] = {129, 130, 141, 143, 1602};

struct PortTypeName {
  int32_t cnaType;
  const char* name;
};

constexpr PortTypeName kPortTypeNames[] = {
    {kCnaTypeFc, "FC"},
    {kCnaTypeNic, "NIC"},
    {kCnaTypeIscsi, "iSCSI"},
    {kCnaTypeFcoe, "FCoE"},
};

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
  if (kind == ImageKind::firmware ? sw.forceFw : sw.forceBios) return "force";
  if (sw.update) return "update";
  if (sw.rewrite) return "rewrite";
  if (sw.downgrade) return "downgrade";
  return "force";
}

// Why the baseline refused an image, with the baseline it was judged by.
Json refusalObject(const RunState& run, const ImageOutcome& outcome) {
  if (outcome.refusal == ImageRefusal::none) return nullptr;
  const BaselineState& state = run.baseline;
  Json baseline = nullptr;
  if (state.loaded) {
    baseline = Json{{"file", state.file},
                    {"version", state.baseline.version},
                    {"expires", state.baseline.expiresText},
                    {"key_id", orNull(state.keyId)}};
  }
  return Json{{"reason", refusalName(outcome.refusal)},
              {"signed_mode", state.signedMode},
              {"baseline", baseline}};
}

Json imageResult(const RunState& run, const Adapter& a, const ImageOutcome& outcome,
                 ImageKind kind) {
  Json image = nullptr;
  if (!outcome.file.empty()) {
    image = Json{{"file", outcome.file},
                 {"path", outcome.path},
                 {"identifier", outcome.identifier},
                 {"sha256", orNull(outcome.sha256)}};
  }
  const bool failed = outcome.outcome == DownloadOutcome::kFailed ||
                      outcome.outcome == DownloadOutcome::kNotAttempted;
  return Json{
      {"image", image},
      {"decision", decisionName(run, a, outcome, kind)},
      {"outcome", downloadOutcomeName(outcome.outcome)},
      {"reason", failed ? orNull(outcome.reason) : Json(nullptr)},
      {"tool_reply", failed ? orNull(outcome.toolReply) : Json(nullptr)},
      {"refusal", refusalObject(run, outcome)},
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
      isPlaceholderVersion(a.bcVersion.c_str()) ? Json(nullptr) : Json(versions.bootCode.c_str());
  return Json{
      {"number", number},
      {"model", a.model.c_str()},
      {"port_type", portTypeName(a)},
      {"address", adapterAddress(a)},
      {"address_kind", portNaming(a) == PortNaming::kMac ? "mac" : "wwn"},
      {"pci",
       {{"vendor_id", hexId(a.vendorID)},
        {"device_id", hexId(a.pciID)},
        {"subsystem_vendor_id", hexId(a.subVenDevID)},
        {"subsystem_id", hexId(a.subSysDevID)}}},
      {"serial", a.serialNumber.c_str()},
      {"bus", a.bus},
      {"firmware", {{"before", versions.firmware.c_str()}, {"after", orNull(a.firmwareOutcome.after)}}},
      {"boot_code", {{"before", bootBefore}, {"after", orNull(a.bootCodeOutcome.after)}}},
      {"boot_code_enabled", a.bootEnabled != 0},
      {"support", supportName(a)},
      {"read_failure", readFailureObject(a)},
      {"images",
       {{"firmware", imageResult(run, a, a.firmwareOutcome, ImageKind::firmware)},
        {"boot_code", imageResult(run, a, a.bootCodeOutcome, ImageKind::bootCode)}}},
  };
}

// The tool path as located is quoted for the command interpreter.
std::string unquoted(const char* path) {
  std::string text(path);
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
    text = text.substr(1, text.size() - 2);
  }
  return text;
}

}  // namespace

const char* operationName(const RunState& run) {
  const Switches& sw = run.sw;
  if (sw.update) return "update";
  if (sw.rewrite) return "rewrite";
  if (sw.downgrade) return "downgrade";
  if (sw.forceFw || sw.forceBios) return "force";
  if (run.isQueryOnly()) return "query";
  return "none";
}

const char* decisionName(const RunState& run, const Adapter& a, const ImageOutcome& outcome,
                         ImageKind kind) {
  switch (outcome.decision) {
    case ImageDecision::kDownload:
      return downloadDecisionName(run.sw, kind);
    case ImageDecision::kNotRequired:
      return "not_required";
    case ImageDecision::kNoCompatibleImage:
      return "no_compatible_image";
    case ImageDecision::kSkipped:
      break;
  }
  return a.supported == 0 ? "unsupported" : "skipped";
}

const char* portTypeName(const Adapter& a) {
  for (const PortTypeName& entry : kPortTypeNames) {
    if (entry.cnaType == a.cnaType) return entry.name;
  }
  return "FC";
}

const char* downloadOutcomeName(DownloadOutcome outcome) {
  switch (outcome) {
    case DownloadOutcome::kDownloaded:
      return "downloaded";
    case DownloadOutcome::kFailed:
      return "failed";
    case DownloadOutcome::kPreviewed:
      return "previewed";
    case DownloadOutcome::kNotAttempted:
      return "not_attempted";
    case DownloadOutcome::kNone:
      break;
  }
  return "none";
}

bool isInterruptedExitCode(int code) {
  for (int interrupted : kInterruptedExitCodes) {
    if (code == interrupted) return true;
  }
  return false;
}

std::string utcTimeText(std::time_t time) {
  std::tm parts{};
#ifdef _WIN32
  const bool known = gmtime_s(&parts, &time) == 0;
#else
  const bool known = gmtime_r(&time, &parts) != nullptr;
#endif
  if (!known) parts = std::tm{};
  char text[32];
  if (!known || std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts) == 0) {
    return "1970-01-01T00:00:00Z";
  }
  return text;
}

std::string statusTextOf(const std::string& line, const char* programName) {
  std::size_t begin = line.find_first_not_of("\r\n ");
  if (begin == std::string::npos) return std::string();
  std::size_t end = line.rfind(kReturnCodeMarker);
  if (end == std::string::npos || end < begin) end = line.find_last_not_of("\r\n ") + 1;
  std::string text = line.substr(begin, end - begin);
  // "vornup: ..." and "vornup : ..." both occur.
  const std::string name(programName);
  if (!name.empty() && text.compare(0, name.size(), name) == 0) {
    const std::size_t colon = text.find_first_not_of(' ', name.size());
    if (colon != std::string::npos && text[colon] == ':') {
      const std::size_t rest = text.find_first_not_of(' ', colon + 1);
      text.erase(0, rest == std::string::npos ? text.size() : rest);
    }
  }
  return text;
}

std::string runReportDocument(const RunState& run, const RunEnd& end) {
  Json ports = Json::array();
  std::size_t number = 0;
  for (const auto& record : run.adapterList) {
    if (record != nullptr) ports.push_back(portObject(run, *record, ++number));
  }
  const std::string toolPath = unquoted(run.toolPath.c_str());
  std::string statusText = end.statusText;
  if (statusText.empty()) statusText = "Return Code=" + std::to_string(end.exitCode);
  Json document = {
      {"schema_version", kSchemaVersion},
      {"program", {{"name", kProgram}, {"version", run.versionString.c_str()}}},
      {"host", reportHostName()},
      {"started", utcTimeText(run.report.started)},
      {"ended", utcTimeText(end.ended)},
      {"command_line", run.report.arguments},
      {"mode", modeName(run.sw)},
      {"operation", operationName(run)},
      {"preview", run.sw.preview != 0},
      {"tool_path", orNull(toolPath)},
      {"ports", ports},
      {"status", {{"text", statusText}, {"exit_code", end.exitCode}}},
      {"exit_code", end.exitCode},
      {"reboot_required", end.rebootRequired},
      {"interrupted", isInterruptedExitCode(end.exitCode)},
      {"in_progress", false},
  };
  return document.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

std::string runInProgressDocument(const RunState& run) {
  Json document = {
      {"schema_version", kSchemaVersion},
      {"program", {{"name", kProgram}, {"version", run.versionString.c_str()}}},
      {"host", reportHostName()},
      {"started", utcTimeText(run.report.started)},
      {"ended", nullptr},
      {"command_line", run.report.arguments},
      {"mode", modeName(run.sw)},
      {"operation", operationName(run)},
      {"preview", run.sw.preview != 0},
      {"tool_path", nullptr},
      {"ports", Json::array()},
      {"status", nullptr},
      {"exit_code", nullptr},
      {"reboot_required", false},
      {"interrupted", false},
      {"in_progress", true},
  };
  return document.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace vornup
