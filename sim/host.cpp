#include "sim/host.h"

#include <cstdlib>

#include "sim/key_value_text.h"

namespace tandrelsim {
namespace {

struct FaultModeName {
  FaultMode mode;
  const char* name;
};

const FaultModeName kFaultModeNames[] = {
    {FaultMode::none, "none"},
    {FaultMode::noOutput, "no-output"},
    {FaultMode::garbage, "garbage"},
    {FaultMode::cutOff, "cut-off"},
    {FaultMode::exitStatus, "exit-status"},
    {FaultMode::huge, "huge"},
    {FaultMode::longLines, "long-lines"},
    {FaultMode::nulFf, "nul-ff"},
    {FaultMode::crLf, "crlf"},
};

// Port keys whose value is printed after a label of some reply.
const char* const kPrintedPortKeys[] = {
    "flags",      "serial",        "port-type",    "bus",          "device-id",
    "vendor-id",  "sub-device-id", "sub-vendor-id", "fw-version",  "sli3-fw",
    "sli2-fw",    "boot-code",     "boot-version", "header-type",  "wakeup-token",
};

constexpr char kFaultPrefix[] = "fault.";

std::string at(const KeyValue& entry, const std::string& message) {
  return "line " + std::to_string(entry.line) + ": " + message;
}

bool parseYesNo(const KeyValue& entry, bool& value, std::string& error) {
  std::string word = lowerAscii(entry.value);
  if (word == "yes" || word == "no") {
    value = word == "yes";
    return true;
  }
  error = at(entry, entry.key + " is yes or no");
  return false;
}

bool parseCount(const std::string& text, unsigned long& value) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return false;
  if (text.size() > 9) return false;
  value = std::strtoul(text.c_str(), nullptr, 10);
  return true;
}

// "fault.<command> = <mode>", for the host or one port.
bool parseFaultKey(const KeyValue& entry, std::map<std::string, FaultMode>& faults,
                   std::string& error) {
  std::string command = entry.key.substr(sizeof kFaultPrefix - 1);
  if (!isCommandName(command)) {
    error = at(entry, "no command \"" + command + "\" to damage");
    return false;
  }
  FaultMode mode;
  if (!faultModeByName(lowerAscii(entry.value), mode)) {
    error = at(entry, "fault modes are " + faultModeNames());
    return false;
  }
  faults[command] = mode;
  return true;
}

bool isFaultKey(const std::string& key) { return key.rfind(kFaultPrefix, 0) == 0; }

bool isPrintedPortKey(const std::string& key) {
  for (const char* known : kPrintedPortKeys) {
    if (key == known) return true;
  }
  return false;
}

bool parseHostEntry(const KeyValue& entry, Host& host, std::string& error) {
  if (isFaultKey(entry.key)) return parseFaultKey(entry, host.faults, error);
  if (entry.key == "name") {
    host.name = entry.value;
    return true;
  }
  if (entry.key == "listhbas-error") {
    std::string word = lowerAscii(entry.value);
    if (word == "none") host.listError = ListError::none;
    else if (word == "driver-not-loaded") host.listError = ListError::driverNotLoaded;
    else if (word == "brackmond-not-running") host.listError = ListError::brackmondNotRunning;
    else {
      error = at(entry, "listhbas-error is none, driver-not-loaded or brackmond-not-running");
      return false;
    }
    return true;
  }
  if (entry.key == "listhbas-error-line") {
    if (!parseCount(entry.value, host.listErrorLine) || host.listErrorLine == 0) {
      error = at(entry, "listhbas-error-line is a line number from 1");
      return false;
    }
    return true;
  }
  if (entry.key == "fail-call") {
    if (!parseCallFault(entry.value, host.failCall, error)) {
      error = at(entry, error);
      return false;
    }
    return true;
  }
  error = at(entry, "unknown [host] key \"" + entry.key + "\"");
  return false;
}

bool setAddress(const KeyValue& entry, Port& port, std::string& error) {
  if (!port.address.empty()) {
    error = at(entry, "a port has one address: wwn or mac");
    return false;
  }
  if (entry.value.empty()) {
    error = at(entry, entry.key + " needs a value");
    return false;
  }
  port.address = entry.value;
  port.namedByMac = entry.key == "mac";
  return true;
}

bool parsePortEntry(const KeyValue& entry, Port& port, std::string& error) {
  if (isFaultKey(entry.key)) return parseFaultKey(entry, port.faults, error);
  if (entry.key == "wwn" || entry.key == "mac") return setAddress(entry, port, error);
  if (entry.key == "remote") return parseYesNo(entry, port.remote, error);
  if (entry.key == "reboot") return parseYesNo(entry, port.reboot, error);
  if (entry.key == "download") {
    std::string word = lowerAscii(entry.value);
    if (word != "complete" && word != "fail") {
      error = at(entry, "download is complete or fail");
      return false;
    }
    port.downloadFails = word == "fail";
    return true;
  }
  if (isPrintedPortKey(entry.key)) {
    port.fields[entry.key] = entry.value;
    return true;
  }
  error = at(entry, "unknown [port] key \"" + entry.key + "\"");
  return false;
}

bool parsePort(const Section& section, Host& host, std::string& error) {
  Port port;
  port.line = section.line;
  for (const KeyValue& entry : section.entries) {
    if (!parsePortEntry(entry, port, error)) return false;
  }
  std::string where = "line " + std::to_string(section.line) + ": ";
  if (port.address.empty()) {
    error = where + "a [port] needs a wwn or a mac";
    return false;
  }
  if (host.findPort(port.address) != nullptr) {
    error = where + "a second port with the address " + port.address;
    return false;
  }
  host.ports.push_back(port);
  return true;
}

}  // namespace

const char* const kCommandNames[6] = {"listhbas", "hbaattrib",      "pcidata",
                                      "wakeup",   "enablebootcode", "download"};

bool isCommandName(const std::string& name) {
  for (const char* known : kCommandNames) {
    if (name == known) return true;
  }
  return false;
}

bool faultModeByName(const std::string& name, FaultMode& mode) {
  for (const FaultModeName& entry : kFaultModeNames) {
    if (name == entry.name) {
      mode = entry.mode;
      return true;
    }
  }
  return false;
}

const char* faultModeName(FaultMode mode) {
  for (const FaultModeName& entry : kFaultModeNames) {
    if (entry.mode == mode) return entry.name;
  }
  return "?";
}

std::string faultModeNames() {
  std::string names;
  for (const FaultModeName& entry : kFaultModeNames) {
    if (!names.empty()) names += ", ";
    names += entry.name;
  }
  return names;
}

bool parseCallFault(const std::string& text, CallFault& fault, std::string& error) {
  std::size_t blank = text.find_first_of(" \t");
  std::size_t modeStart = blank == std::string::npos ? blank : text.find_first_not_of(" \t", blank);
  if (modeStart == std::string::npos || !parseCount(text.substr(0, blank), fault.call) ||
      !faultModeByName(lowerAscii(text.substr(modeStart)), fault.mode)) {
    error = "fail-call is \"<call number> <mode>\" with a mode of " + faultModeNames();
    return false;
  }
  return true;
}

const std::string* Port::field(const char* key) const {
  auto found = fields.find(key);
  return found == fields.end() ? nullptr : &found->second;
}

Port* Host::findPort(const std::string& address) {
  for (Port& port : ports) {
    if (equalsIgnoringCase(port.address, address)) return &port;
  }
  return nullptr;
}

bool parseHost(const std::string& text, Host& host, std::string& error) {
  host = Host{};
  std::vector<Section> sections;
  if (!parseKeyValueText(text, sections, error)) return false;
  for (const Section& section : sections) {
    std::string name = lowerAscii(section.name);
    if (name.empty() && section.entries.empty()) continue;
    if (name == "host") {
      for (const KeyValue& entry : section.entries) {
        if (!parseHostEntry(entry, host, error)) return false;
      }
    } else if (name == "port") {
      if (!parsePort(section, host, error)) return false;
    } else if (name.empty()) {
      error = at(section.entries.front(), "settings belong under [host] or [port]");
      return false;
    } else {
      error = "line " + std::to_string(section.line) + ": unknown section [" + section.name +
              "]; sections are [host] and [port]";
      return false;
    }
  }
  return true;
}

}  // namespace tandrelsim
