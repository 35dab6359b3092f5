#include "tool/command_safety.h"

#include <cstring>

#include "platform/host_names.h"
#include "tool/tandrel.h"

namespace vornup {

namespace {

constexpr int kToolCallRefused = 4;
constexpr char kRefusedAddressTrace[] = "Refused unsafe adapter address = %s\n";

bool isHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

}  // namespace

bool isSafeAddress(const char* address) {
  if (address == nullptr || *address == '\0') return false;
  for (const char* c = address; *c != '\0'; ++c) {
    if (!isHexDigit(*c) && *c != ':' && *c != '-') return false;
  }
  return true;
}

bool isSafeFileName(const char* name) {
  if (name == nullptr) return false;
  for (const unsigned char* c = reinterpret_cast<const unsigned char*>(name); *c != '\0'; ++c) {
    if (*c < 0x20 || *c == 0x7F || *c == '"' || *c == '%') return false;
    if (std::strchr(kQuotedArgumentSpecials, *c) != nullptr) return false;
  }
  return true;
}

bool isSafeCommandPath(const char* path) {
  return path != nullptr && *path != '\0' && isSafeFileName(path);
}

int executeForAddress(RunState& run, const char* format, const char* address, const char* extra) {
  if (!isSafeAddress(address)) {
    run.toolOutput.clear();
    run.out.traceOut(kRefusedAddressTrace, address);
    return kToolCallRefused;
  }
  FixedText<512> args;
  if (!args.format(format, address, extra)) {
    run.toolOutput.clear();
    return kToolCallRefused;
  }
  return executeTandrel(run, args.c_str());
}

}  // namespace vornup
