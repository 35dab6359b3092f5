#include "report/run_metrics.h"

#include <set>
#include <string>

#include "report/record_text.h"
#include "report/run_facts.h"

namespace vornup {
namespace {

struct Family {
  const char* name;
  const char* help;
};

// clang-format off
constexpr Family kAdapterInfo = {"vornup_adapter_info",
    "Adapter port as the last run left it: firmware and boot code installed."};
constexpr Family kEndTime = {"vornup_last_run_end_time_seconds",
    "When the last run ended, in seconds since the Unix epoch."};
constexpr Family kExitCode = {"vornup_last_run_exit_code", "Exit code of the last run."};
constexpr Family kDownloads = {"vornup_last_run_downloads",
    "Downloads of the last run by outcome, one per port and image kind."};
constexpr Family kReboot = {"vornup_reboot_required",
    "1 when a download of the last run needs a reboot to take effect."};
constexpr Family kUnsupported = {"vornup_unsupported_adapters",
    "Adapters the last run left alone because their firmware is too old to update."};
constexpr const char* kDownloadOutcomes[] = {"downloaded", "failed", "previewed"};
// clang-format on

void addFamily(std::string& text, const Family& family) {
  text += "# HELP ";
  text += family.name;
  text += ' ';
  text += family.help;
  text += "\n# TYPE ";
  text += family.name;
  text += " gauge\n";
}

void addSample(std::string& text, const Family& family, const std::string& labels,
               const std::string& value) {
  text += family.name;
  if (!labels.empty()) text += "{" + labels + "}";
  text += ' ';
  text += value;
  text += '\n';
}

std::string label(const char* name, const std::string& value) {
  return std::string(name) + "=\"" + escapedRecordText(value) + "\"";
}

int countOutcome(const RunFacts& facts, const std::string& outcome) {
  int count = 0;
  for (const PortFacts& port : facts.ports) {
    count += port.firmware.outcome == outcome ? 1 : 0;
    count += port.bootCode.outcome == outcome ? 1 : 0;
  }
  return count;
}

}  // namespace

std::string metricsTextOf(const RunFacts& facts) {
  std::string text;
  addFamily(text, kAdapterInfo);
  // Two records of one port would be one series twice, which a collector
  // refuses: each series is written once.
  std::set<std::string> written;
  for (const PortFacts& port : facts.ports) {
    const std::string labels = label("address", port.address) + "," + label("model", port.model) +
                               "," + label("port_type", port.portType) + "," +
                               label("firmware", port.firmware.now()) + "," +
                               label("boot_code", port.bootCode.now());
    if (written.insert(labels).second) addSample(text, kAdapterInfo, labels, "1");
  }
  addFamily(text, kEndTime);
  addSample(text, kEndTime, "", std::to_string(static_cast<long long>(facts.ended)));
  addFamily(text, kExitCode);
  addSample(text, kExitCode, "", std::to_string(facts.exitCode));
  addFamily(text, kDownloads);
  for (const char* outcome : kDownloadOutcomes) {
    addSample(text, kDownloads, label("outcome", outcome),
              std::to_string(countOutcome(facts, outcome)));
  }
  addFamily(text, kReboot);
  addSample(text, kReboot, "", facts.rebootRequired ? "1" : "0");
  addFamily(text, kUnsupported);
  addSample(text, kUnsupported, "", std::to_string(facts.unsupportedAdapters));
  return text;
}

}  // namespace vornup
