#include "platform/platform.h"

#include <cstdlib>

namespace vornup {

bool Platform::getEnvironment(const char* name, std::string& value) {
  const char* found = std::getenv(name);
  if (found == nullptr) return false;
  value = found;
  return true;
}

CommandResult Platform::runLimitedCommand(const std::string& commandLine,
                                          const CommandLimits&) {
  CommandResult result;
  result.status = runCommand(commandLine);
  result.started = true;
  result.end = CommandEnd::exited;
  return result;
}

bool Platform::writeRegistryString(const std::string&, const std::string&, const std::string&) {
  return false;
}

std::string Platform::registryValueLocation(const std::string& subkey,
                                            const std::string& valueName) {
  return "HKEY_LOCAL_MACHINE\\" + subkey + "\\" + valueName;
}

std::string Platform::hostLockHolder() { return std::string(); }

std::string Platform::environmentValue(const char* name) {
  std::string value;
  getEnvironment(name, value);
  return value;
}

int plainStatus(const CommandResult& result) {
  return result.end == CommandEnd::exited ? result.status : -1;
}

}  // namespace vornup
