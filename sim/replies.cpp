#include "sim/replies.h"

#include <vector>

#include "sim/key_value_text.h"

namespace tandrelsim {

const char kDriverNotLoadedText[] = "Error: the QTRD driver is not loaded";
const char kBrackmondNotRunningText[] =
    "Error 1 getting remote HBAs for host 'localhost': management service brackmond not running";

namespace {

constexpr char kManufacturer[] = "Korvane Systems";
constexpr std::size_t kLabelWidth = 16;  // labels are padded to a common width

// Where the value of a reply line comes from.
enum class From {
  kText,         // the fixed text of the line
  kField,        // the port's host-file key named by the line; no key, no line
  kBootVersion,  // "boot-version", left out while the boot code is disabled
  kAddress,      // the port's address; without a label "Port WWN" or "Permanent MAC"
  kHostName,
  kDiscovery,    // "Local" or "Remote"
};

struct ReplyLine {
  const char* label;
  From from;
  const char* text;  // fixed value or host-file key
};

const ReplyLine kAdapterEntryLines[] = {
    {nullptr, From::kAddress, nullptr},
    {"Flags", From::kField, "flags"},
    {"Host Name", From::kHostName, nullptr},
    {"Mfg", From::kText, kManufacturer},
    {"Serial No.", From::kField, "serial"},
    {"Mode", From::kText, "Initiator"},
    {"Discovery", From::kDiscovery, nullptr},
    {"Port Type", From::kField, "port-type"},
};

// "Device ID" stands before "Sub Device ID": readers take the first match.
const ReplyLine kAttributeLines[] = {
    {"Host Name", From::kHostName, nullptr},
    {"Manufacturer", From::kText, kManufacturer},
    {"Serial Number", From::kField, "serial"},
    {"Port Address", From::kAddress, nullptr},
    {"FW Version", From::kField, "fw-version"},
    {"Vendor Spec ID", From::kField, "vendor-id"},
    {"Driver Name", From::kText, "kvdrv"},
    {"Device ID", From::kField, "device-id"},
    {"SLI2 FW", From::kField, "sli2-fw"},
    {"SLI3 FW", From::kField, "sli3-fw"},
    {"Boot Code", From::kField, "boot-code"},
    {"Boot Version", From::kBootVersion, "boot-version"},
    {"Sub Device ID", From::kField, "sub-device-id"},
    {"Sub Vendor ID", From::kField, "sub-vendor-id"},
    {"PCI Bus Number", From::kField, "bus"},
    {"PCI Func Number", From::kText, "0"},
};

const ReplyLine kPciDataLines[] = {
    {"Vendor ID", From::kField, "vendor-id"},
    {"Device ID", From::kField, "device-id"},
    {"Command", From::kText, "0147"},
    {"Status", From::kText, "0010"},
    {"Revision ID", From::kText, "03"},
    {"Class Code", From::kText, "0C0400"},
    {"Cache Line Size", From::kText, "10"},
    {"Latency Timer", From::kText, "00"},
    {"Header Type", From::kField, "header-type"},
    {"BIST", From::kText, "00"},
    {"Sub Vendor ID", From::kField, "sub-vendor-id"},
    {"Sub Device ID", From::kField, "sub-device-id"},
    {"PCI Bus Number", From::kField, "bus"},
};

const ReplyLine kWakeupLines[] = {
    {"Initial Load", From::kText, "0x00000001"},
    {"Flags", From::kText, "0x00000040"},
    {"Boot Code", From::kField, "wakeup-token"},
    {"Link Speed", From::kText, "Auto"},
};

void appendLine(std::string& text, const char* label, const std::string& value) {
  std::string padded = label;
  if (padded.size() < kLabelWidth) padded.append(kLabelWidth - padded.size(), ' ');
  text += padded + ": " + value + "\n";
}

template <std::size_t N>
void renderLines(std::string& text, const ReplyLine (&lines)[N], const Host* host,
                 const Port& port) {
  for (const ReplyLine& line : lines) {
    const std::string* value = nullptr;
    std::string computed;
    switch (line.from) {
      case From::kText:
        computed = line.text;
        value = &computed;
        break;
      case From::kBootVersion:
        if (isBootCodeDisabled(port)) break;
        value = port.field(line.text);
        break;
      case From::kField:
        value = port.field(line.text);
        break;
      case From::kAddress:
        if (line.label == nullptr) {
          appendLine(text, port.namedByMac ? "Permanent MAC" : "Port WWN", port.address);
        } else {
          value = &port.address;
        }
        break;
      case From::kHostName:
        computed = host != nullptr ? host->name : "localhost";
        value = &computed;
        break;
      case From::kDiscovery:
        computed = port.remote ? "Remote" : "Local";
        value = &computed;
        break;
    }
    if (value != nullptr) appendLine(text, line.label, *value);
  }
}

// The host's error text stands at its own line of the output; blank lines
// fill the gap when the list is shorter.
void insertListError(const Host& host, std::string& text) {
  if (host.listError == ListError::kNone) return;
  const char* error = host.listError == ListError::kDriverNotLoaded ? kDriverNotLoadedText
                                                                      : kBrackmondNotRunningText;
  std::size_t at = 0;
  for (unsigned long line = 1; line < host.listErrorLine; ++line) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) {
      text.append(host.listErrorLine - line, '\n');
      at = text.size();
      break;
    }
    at = end + 1;
  }
  text.insert(at, std::string(error) + "\n");
}

}  // namespace

bool isBootCodeDisabled(const Port& port) {
  const std::string* state = port.field("boot-code");
  return state != nullptr && equalsIgnoringCase(*state, "disabled");
}

bool hasSwitchableBootCode(const Port& port) {
  const std::string* state = port.field("boot-code");
  return state != nullptr &&
         (equalsIgnoringCase(*state, "enabled") || equalsIgnoringCase(*state, "disabled"));
}

std::string renderAdapterList(const Host& host, bool includeRemote) {
  std::string text = "Manageable HBA List\n\n";
  for (const Port& port : host.ports) {
    if (port.remote && !includeRemote) continue;
    renderLines(text, kAdapterEntryLines, &host, port);
    text += "\n";
  }
  insertListError(host, text);
  return text;
}

std::string renderAttributes(const Host& host, const Port& port) {
  std::string text = "HBA Attributes for " + port.address + "\n\n";
  renderLines(text, kAttributeLines, &host, port);
  return text;
}

std::string renderPciData(const Port& port) {
  std::string text = "PCI Configuration Data for " + port.address + "\n\n";
  renderLines(text, kPciDataLines, nullptr, port);
  return text;
}

std::string renderWakeup(const Port& port) {
  std::string text = "Wakeup Parameters for " + port.address + "\n\n";
  renderLines(text, kWakeupLines, nullptr, port);
  return text;
}

}  // namespace tandrelsim
