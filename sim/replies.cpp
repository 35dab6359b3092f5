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
  text,         // the fixed text of the line
  field,        // the port's host-file key named by the line; no key, no line
  bootVersion,  // "boot-version", left out while the boot code is disabled
  address,      // the port's address; without a label "Port WWN" or "Permanent MAC"
  hostName,
  discovery,    // "Local" or "Remote"
};

struct ReplyLine {
  const char* label;
  From from;
  const char* text;  // fixed value or host-file key
};

const ReplyLine kAdapterEntryLines[] = {
    {nullptr, From::address, nullptr},
    {"Flags", From::field, "flags"},
    {"Host Name", From::hostName, nullptr},
    {"Mfg", From::text, kManufacturer},
    {"Serial No.", From::field, "serial"},
    {"Mode", From::text, "Initiator"},
    {"Discovery", From::discovery, nullptr},
    {"Port Type", From::field, "port-type"},
};

// "Device ID" stands before "Sub Device ID": readers take the first match.
const ReplyLine kAttributeLines[] = {
    {"Host Name", From::hostName, nullptr},
    {"Manufacturer", From::text, kManufacturer},
    {"Serial Number", From::field, "serial"},
    {"Port Address", From::address, nullptr},
    {"FW Version", From::field, "fw-version"},
    {"Vendor Spec ID", From::field, "vendor-id"},
    {"Driver Name", From::text, "kvdrv"},
    {"Device ID", From::field, "device-id"},
    {"SLI2 FW", From::field, "sli2-fw"},
    {"SLI3 FW", From::field, "sli3-fw"},
    {"Boot Code", From::field, "boot-code"},
    {"Boot Version", From::bootVersion, "boot-version"},
    {"Sub Device ID", From::field, "sub-device-id"},
    {"Sub Vendor ID", From::field, "sub-vendor-id"},
    {"PCI Bus Number", From::field, "bus"},
    {"PCI Func Number", From::text, "0"},
};

const ReplyLine kPciDataLines[] = {
    {"Vendor ID", From::field, "vendor-id"},
    {"Device ID", From::field, "device-id"},
    {"Command", From::text, "0147"},
    {"Status", From::text, "0010"},
    {"Revision ID", From::text, "03"},
    {"Class Code", From::text, "0C0400"},
    {"Cache Line Size", From::text, "10"},
    {"Latency Timer", From::text, "00"},
    {"Header Type", From::field, "header-type"},
    {"BIST", From::text, "00"},
    {"Sub Vendor ID", From::field, "sub-vendor-id"},
    {"Sub Device ID", From::field, "sub-device-id"},
    {"PCI Bus Number", From::field, "bus"},
};

const ReplyLine kWakeupLines[] = {
    {"Initial Load", From::text, "0x00000001"},
    {"Flags", From::text, "0x00000040"},
    {"Boot Code", From::field, "wakeup-token"},
    {"Link Speed", From::text, "Auto"},
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
      case From::text:
        computed = line.text;
        value = &computed;
        break;
      case From::bootVersion:
        if (isBootCodeDisabled(port)) break;
        value = port.field(line.text);
        break;
      case From::field:
        value = port.field(line.text);
        break;
      case From::address:
        if (line.label == nullptr) {
          appendLine(text, port.namedByMac ? "Permanent MAC" : "Port WWN", port.address);
        } else {
          value = &port.address;
        }
        break;
      case From::hostName:
        computed = host != nullptr ? host->name : "localhost";
        value = &computed;
        break;
      case From::discovery:
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
  if (host.listError == ListError::none) return;
  const char* error = host.listError == ListError::driverNotLoaded ? kDriverNotLoadedText
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
