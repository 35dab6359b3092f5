#include "report/history_line.h"

#include <nlohmann/json.hpp>

#include "report/run_facts.h"
#include "report/run_report_json.h"

namespace vornup {
namespace {

using Json = nlohmann::ordered_json;

constexpr int kHistorySchemaVersion = 1;

Json orNull(const std::string& text) { return text.empty() ? Json(nullptr) : Json(text); }

Json imageKind(const ImageFacts& kind) {
  Json image = nullptr;
  if (!kind.file.empty()) {
    image = Json{{"file", kind.file}, {"identifier", kind.identifier}, {"sha256", orNull(kind.sha256)}};
  }
  return Json{
      {"before", orNull(kind.before)}, {"after", orNull(kind.after)},
      {"decision", kind.decision},     {"outcome", kind.outcome},
      {"reason", orNull(kind.reason)}, {"image", image},
  };
}

}  // namespace

std::string historyLineOf(const RunFacts& facts) {
  Json adapters = Json::array();
  for (const PortFacts& port : facts.ports) {
    adapters.push_back(Json{
        {"address", port.address},
        {"model", port.model},
        {"port_type", port.portType},
        {"serial", port.serial},
        {"supported", port.supported},
        {"firmware", imageKind(port.firmware)},
        {"boot_code", imageKind(port.bootCode)},
    });
  }
  const Json line = {
      {"schema_version", kHistorySchemaVersion},
      {"time", utcTimeText(facts.ended)},
      {"started", utcTimeText(facts.started)},
      {"program", {{"name", "vornup"}, {"version", facts.version}}},
      {"host", facts.host},
      {"user", facts.user},
      {"command_line", facts.commandLine},
      {"mode", facts.mode},
      {"operation", facts.operation},
      {"preview", facts.preview},
      {"exit_code", facts.exitCode},
      {"status", facts.statusText},
      {"reboot_required", facts.rebootRequired},
      {"interrupted", facts.interrupted},
      {"adapters", adapters},
  };
  return line.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace vornup
