#include "platform/platform.h"

#include <cstdlib>

namespace vornup {

bool Platform::getEnvironment(const char* name, std::string& value) {
  const char* found = std::getenv(name);
  if (found == nullptr) return false;
  value = found;
  return true;
}

std::string Platform::environmentValue(const char* name) {
  std::string value;
  getEnvironment(name, value);
  return value;
}

}  // namespace vornup
