#include "sim/simulation.h"

#include "sim/download_image.h"
#include "sim/faults.h"
#include "sim/key_value_text.h"
#include "sim/replies.h"

namespace tandrelsim {
namespace {

// Port values that commands change and the state file keeps.
const char* const kStateKeys[] = {"boot-code", "fw-version", "boot-version"};
constexpr char kStateSection[] = "simulator";
constexpr char kPortSectionPrefix[] = "port ";

constexpr char kUsage[] =
    "usage: Tandrel listhbas [local] | hbaattrib <address> | pcidata <address> |\n"
    "       wakeup <address> | enablebootcode <address> E|D | download <address> <image>\n";

Reply usageError(const std::string& reason) {
  Reply reply;
  reply.error = "Tandrel (simulator): " + reason + "\n" + kUsage;
  reply.exitStatus = kExitUsage;
  return reply;
}

Reply commandFailed(const std::string& text) {
  Reply reply;
  reply.text = text;
  reply.exitStatus = kExitCommandFailed;
  return reply;
}

Reply printed(const std::string& text) {
  Reply reply;
  reply.text = text;
  return reply;
}

bool sameField(const Port& a, const Port& b, const char* key) {
  const std::string* first = a.field(key);
  const std::string* second = b.field(key);
  return first != nullptr && second != nullptr && equalsIgnoringCase(*first, *second);
}

// A serial number that names an adapter: an empty one or "N/A" names none.
bool hasSerial(const Port& port) {
  const std::string* serial = port.field("serial");
  return serial != nullptr && !serial->empty() && *serial != "N/A";
}

// Functions of one adapter (equal serial number and bus) share its firmware;
// a port without a serial number is an adapter of its own.
void installFirmware(Host& host, Port& target, const std::string& version) {
  for (Port& port : host.ports) {
    if (&port == &target || (hasSerial(target) && sameField(port, target, "serial") &&
                             sameField(port, target, "bus"))) {
      port.fields["fw-version"] = version;
    }
  }
}

Reply download(Host& host, Port& port, const std::string& path) {
  DownloadImage image = describeDownloadImage(path);
  if (!image.accepted) return commandFailed("Download failed: " + image.problem + "\n");
  if (port.downloadFails) return commandFailed("Download failed: the adapter rejected the image.\n");
  // An image without a version (no identifier) leaves the version as it was.
  if (!image.version.empty()) {
    if (image.bootCode) {
      port.fields["boot-version"] = image.version;
    } else {
      installFirmware(host, port, image.version);
    }
  }
  std::string text = "Downloading image to " + port.address + "\nDownload Complete.\n";
  if (port.reboot) text += "Please reboot the system to activate the new image.\n";
  return printed(text);
}

Reply switchBootCode(Port& port, const std::string& choice) {
  bool enable = equalsIgnoringCase(choice, "E");
  if (!enable && !equalsIgnoringCase(choice, "D")) {
    return usageError("enablebootcode takes E (enable) or D (disable), not \"" + choice + "\"");
  }
  if (!hasSwitchableBootCode(port)) {
    return commandFailed("Error: no boot code to switch on port " + port.address + "\n");
  }
  port.fields["boot-code"] = enable ? "Enabled" : "Disabled";
  return printed(enable ? "Boot code enabled.\n" : "Boot code disabled.\n");
}

// Answers a command addressed to one port; `addressed` receives the port.
Reply answerPortCommand(Host& host, const std::vector<std::string>& args, Port*& addressed) {
  const std::string& command = args[0];
  bool isDownload = command == "download";
  bool isSwitch = command == "enablebootcode";
  std::size_t wanted = isSwitch || isDownload ? 3 : 2;
  if (args.size() < wanted || (!isDownload && args.size() > wanted)) {
    return usageError("wrong number of arguments for " + command);
  }
  addressed = host.findPort(args[1]);
  if (addressed == nullptr) return commandFailed("Error: no HBA port with address " + args[1] + "\n");
  Port& port = *addressed;
  if (command == "hbaattrib") return printed(renderAttributes(host, port));
  if (command == "pcidata") return printed(renderPciData(port));
  if (command == "wakeup") return printed(renderWakeup(port));
  if (isSwitch) return switchBootCode(port, args[2]);
  // An image path with blanks may reach the tool as several arguments.
  std::string path = args[2];
  for (std::size_t i = 3; i < args.size(); ++i) path += " " + args[i];
  return download(host, port, path);
}

Reply answer(Host& host, const std::vector<std::string>& args, Port*& addressed) {
  if (args.empty()) return usageError("no command given");
  const std::string& command = args[0];
  if (command == "listhbas") {
    if (args.size() == 1) return printed(renderAdapterList(host, true));
    if (args.size() == 2 && args[1] == "local") return printed(renderAdapterList(host, false));
    return usageError("listhbas takes nothing or \"local\"");
  }
  if (!isCommandName(command)) return usageError("unknown command \"" + command + "\"");
  return answerPortCommand(host, args, addressed);
}

FaultMode faultFor(const Host& host, unsigned long call, const std::vector<std::string>& args,
                   const Port* port) {
  if (host.failCall.call == call) return host.failCall.mode;
  if (args.empty()) return FaultMode::none;
  if (port != nullptr) {
    auto found = port->faults.find(args[0]);
    if (found != port->faults.end()) return found->second;
  }
  auto found = host.faults.find(args[0]);
  return found == host.faults.end() ? FaultMode::none : found->second;
}

bool isStateKey(const std::string& key) {
  for (const char* known : kStateKeys) {
    if (key == known) return true;
  }
  return false;
}

bool applyStateSection(Host& host, const Section& section, unsigned long& calls,
                       std::string& error) {
  std::string where = "line " + std::to_string(section.line) + ": ";
  if (section.name == kStateSection) {
    for (const KeyValue& entry : section.entries) {
      if (entry.key != "calls" ||
          entry.value.find_first_not_of("0123456789") != std::string::npos ||
          entry.value.empty() || entry.value.size() > 9) {
        error = "line " + std::to_string(entry.line) + ": expected \"calls = <number>\"";
        return false;
      }
      calls = std::stoul(entry.value);
    }
    return true;
  }
  if (section.name.rfind(kPortSectionPrefix, 0) != 0) {
    error = where + "unknown section [" + section.name + "]";
    return false;
  }
  // A port that has left the host file since leaves its state behind unused.
  Port* port = host.findPort(section.name.substr(sizeof kPortSectionPrefix - 1));
  for (const KeyValue& entry : section.entries) {
    if (!isStateKey(entry.key)) {
      error = "line " + std::to_string(entry.line) + ": unknown state key \"" + entry.key + "\"";
      return false;
    }
    if (port != nullptr) port->fields[entry.key] = entry.value;
  }
  return true;
}

}  // namespace

Reply Simulation::call(const std::vector<std::string>& args) {
  ++calls;
  commandLog.push_back(commandLogLine(args));
  Port* addressed = nullptr;
  Reply reply = answer(host, args, addressed);
  damageReply(faultFor(host, calls, args, addressed), reply.text, reply.exitStatus);
  return reply;
}

std::string Simulation::stateText() const {
  std::string text =
      "# Tandrel simulator state: what the calls changed since the host file was read.\n"
      "# Written after every call; delete it to start again from the host file.\n";
  text += "[" + std::string(kStateSection) + "]\ncalls = " + std::to_string(calls) + "\n";
  for (const Port& port : host.ports) {
    text += "\n[" + std::string(kPortSectionPrefix) + port.address + "]\n";
    for (const char* key : kStateKeys) {
      const std::string* value = port.field(key);
      if (value != nullptr) text += std::string(key) + " = " + *value + "\n";
    }
  }
  return text;
}

bool Simulation::applyState(const std::string& text, std::string& error) {
  std::vector<Section> sections;
  if (!parseKeyValueText(text, sections, error)) return false;
  for (const Section& section : sections) {
    if (section.name.empty() && section.entries.empty()) continue;
    if (!applyStateSection(host, section, calls, error)) return false;
  }
  return true;
}

std::string commandLogLine(const std::vector<std::string>& args) {
  std::string line;
  for (const std::string& arg : args) {
    if (!line.empty()) line += ' ';
    line += arg;
  }
  for (char& c : line) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  return line;
}

}  // namespace tandrelsim
