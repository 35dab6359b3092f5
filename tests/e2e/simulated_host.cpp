#include "e2e/simulated_host.h"

#include "platform/host_names.h"
#include "support/image_files.h"

namespace vornup {

namespace {

constexpr char kToolLog[] = "tool.log";
constexpr char kHostFile[] = "Quenmar/host.txt";
constexpr char kStateFile[] = "Quenmar/host.txt.state";

}  // namespace

SimulatedHostTest::SimulatedHostTest() {
  host.installTool(TANDREL_SIM_PATH);
  host.setEnvironment("TANDREL_SIM_LOG", host.workDirectory() + kToolLog);
  host.unsetEnvironment("TANDREL_SIM_HOST");
  host.unsetEnvironment("TANDREL_SIM_STATE");
  host.unsetEnvironment("TANDREL_SIM_FAIL_CALL");
  host.makeInstallDirectory("firmware");
  host.makeInstallDirectory("boot");
}

void SimulatedHostTest::describeHost(const std::vector<SimulatedPort>& ports,
                                     const std::string& extra) {
  ports_ = ports;
  std::string text = "[host]\nname = rack07\n";
  for (const SimulatedPort& port : ports) text += "\n" + port.block;
  host.writeInstallFile(kHostFile, text + extra);
  host.removeInstallFile(kStateFile);
  takeToolCommands();
}

// The private directory of a run in `temp`: "vornup-<pid>-<unique part>"
// (six characters on POSIX, a tick count on Windows) and the separator after
// it, at `at` of `text`; its length, or 0.
std::size_t privateDirectoryLength(const std::string& text, std::size_t at) {
  static const std::string prefix = "vornup-";
  if (text.compare(at, prefix.size(), prefix) != 0) return 0;
  std::size_t end = at + prefix.size();
  const std::size_t digits = end;
  while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
  if (end == digits || end >= text.size() || text[end] != '-') return 0;
  const std::size_t unique = ++end;
  while (end < text.size() && text[end] != kPathSeparator && text[end] != ' ') ++end;
  if (end == unique || end >= text.size() || text[end] != kPathSeparator) return 0;
  return end + 1 - at;
}

std::vector<std::string> SimulatedHostTest::takeToolCommands() {
  std::vector<std::string> lines;
  std::string text = host.readWorkFile(kToolLog);
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(text.substr(start, end - start));
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  // Downloads name the run's private copy of the image: its directory (in
  // the run's temporary directory) has a different name every run.
  const std::string temp = host.tempDirectory();
  for (std::string& line : lines) {
    if (line.compare(0, 9, "download ") != 0) continue;
    const std::size_t at = line.find(temp);
    if (at == std::string::npos) continue;
    const std::size_t length = privateDirectoryLength(line, at + temp.size());
    if (length != 0) line.replace(at, temp.size() + length, kPrivateCopyDirectory);
  }
  host.writeWorkFile(kToolLog, "");
  return lines;
}

std::vector<std::string> SimulatedHostTest::discoveryAnd(
    const std::vector<std::string>& more) const {
  std::vector<std::string> commands = {"listhbas local"};
  for (const SimulatedPort& port : ports_) {
    commands.insert(commands.end(), port.discovery.begin(), port.discovery.end());
  }
  commands.insert(commands.end(), more.begin(), more.end());
  return commands;
}

void SimulatedHostTest::writeFirmwareAll(const std::string& name, uint8_t imageId,
                                         const std::string& version) {
  testimages::writeAll(firmwarePath(name), imageId, version);
}

void SimulatedHostTest::writeBootPrg(const std::string& name, uint8_t imageId,
                                     const std::string& version) {
  testimages::writePrg(bootPath(name), imageId, version);
}

void SimulatedHostTest::writeFirmwareUfi(const std::string& name, const std::string& version,
                                         imagemaker::UfiChip chip) {
  testimages::writeUfi(firmwarePath(name), version, chip);
}

std::string SimulatedHostTest::firmwarePath(const std::string& name) const {
  return host.installPath("firmware/") + name;
}

std::string SimulatedHostTest::bootPath(const std::string& name) const {
  return host.installPath("boot/") + name;
}

SimulatedPort withSetting(SimulatedPort port, const std::string& setting) {
  port.block += setting + "\n";
  return port;
}

std::string downloadCommand(const std::string& address, const std::string& imagePath) {
  const std::string name = imagePath.substr(imagePath.find_last_of(kPathSeparator) + 1);
  return "download " + address + " " + kPrivateCopyDirectory + name;
}

std::vector<std::string> resultLines(const std::string& console) {
  constexpr char kAddressEnd[] = ",\nUpdate=";
  std::vector<std::string> lines;
  for (std::size_t at = console.find(kAddressEnd); at != std::string::npos;
       at = console.find(kAddressEnd, at + 1)) {
    std::size_t begin = console.rfind("\nHBA=", at);
    std::size_t end = console.find('\n', at + 2);
    if (begin == std::string::npos || end == std::string::npos) break;
    std::string line = console.substr(begin + 1, end - begin - 1);
    line.replace(at - begin - 1, 2, ", ");  // join its two lines
    lines.push_back(line);
  }
  return lines;
}

std::string beforeSummary(const std::string& console) {
  return console.substr(0, console.find("Download Summary:\n"));
}

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

std::size_t occurrences(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

std::string note(const std::string& text) {
  return "\n" + std::string(kProgramName) + ": " + text + "\n";
}

std::string statusLine(const std::string& text, int code) {
  return "\n\n" + std::string(kProgramName) + ": " + text +
         " - Return Code=" + std::to_string(code) + "\n\n";
}

std::string resultLine(const char* adapter, const char* update, const char* image,
                       const char* newVersion, const char* oldVersion, const char* status) {
  return std::string(adapter) + "Update=" + update + ", Image=" + image + ", New=" + newVersion +
         ", Old=" + oldVersion + ", Status=" + status;
}

}  // namespace vornup
