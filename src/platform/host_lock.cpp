#include "platform/host_lock.h"

#include <cstdlib>

namespace vornup {

std::string toolRecordText(const ToolProcess& process) {
  return std::to_string(process.id) + " " + std::to_string(process.started) + "\n";
}

bool parseToolRecord(const std::string& text, ToolProcess& process) {
  const std::size_t blank = text.find(' ');
  if (blank == std::string::npos || text.empty() || text.back() != '\n') return false;
  const std::string id = text.substr(0, blank);
  const std::string started = text.substr(blank + 1, text.size() - blank - 2);
  auto digits = [](const std::string& part) {
    return !part.empty() && part.size() <= 19 &&
           part.find_first_not_of("0123456789") == std::string::npos;
  };
  if (!digits(id) || !digits(started)) return false;
  process.id = std::strtoll(id.c_str(), nullptr, 10);
  process.started = std::strtoull(started.c_str(), nullptr, 10);
  return process.id > 0;
}

}  // namespace vornup
