#include "support/fake_platform.h"

#include <cstdio>

namespace vornup {

bool FakePlatform::readRegistryString(const std::string& subkey, const std::string& valueName,
                                      std::string& value) {
  auto found = registry.find(subkey + "\\" + valueName);
  if (found == registry.end() || found->second.size() > 253) return false;
  value = found->second;
  return true;
}

int FakePlatform::runCommand(const std::string& commandLine) {
  commands.push_back(commandLine);
  return onCommand ? onCommand(commandLine) : 1;
}

CommandResult FakePlatform::runLimitedCommand(const std::string& commandLine,
                                              const CommandLimits& limits) {
  commandLimits.push_back(limits);
  return Platform::runLimitedCommand(commandLine, limits);
}

CommandResult FakePlatform::runProgram(const ProgramStart& start, const CommandLimits& limits) {
  commandLimits.push_back(limits);
  lastStart = start;
  CommandResult result;
  if (!startError.empty()) {
    result.startError = startError;
    return result;
  }
  commands.push_back(start.shownAs);
  result.status = onCommand ? onCommand(start.shownAs) : 1;
  result.started = true;
  result.end = CommandEnd::exited;
  return result;
}

bool FakePlatform::getEnvironment(const char* name, std::string& value) {
  auto found = environment.find(name);
  if (found == environment.end()) return false;
  value = found->second;
  return true;
}

bool FakePlatform::temporaryDirectoryBase(std::string& base) {
  return getEnvironment("TEMP", base) && !base.empty();
}

bool FakePlatform::createPrivateDirectory(const std::string& parent, std::string& created) {
  return hostPlatform().createPrivateDirectory(parent, created);
}

int FakePlatform::removeStalePrivateDirectories(const std::string& parent) {
  return hostPlatform().removeStalePrivateDirectories(parent);
}

void FakePlatform::removeDirectory(const std::string& path) {
  hostPlatform().removeDirectory(path);
}

void FakePlatform::removePrivateDirectory(const std::string& path) {
  hostPlatform().removePrivateDirectory(path);
}

bool FakePlatform::forEachDirectoryEntry(const std::string& directory,
                                         const std::function<void(const DirectoryEntry&)>& visit) {
  return hostPlatform().forEachDirectoryEntry(directory, visit);
}

bool FakePlatform::writeToolOutput(const std::string& text) const {
  std::FILE* file = std::fopen(lastStart.outputPath.c_str(), "wb");
  if (file == nullptr) return false;
  bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  return std::fclose(file) == 0 && written;
}

}  // namespace vornup
