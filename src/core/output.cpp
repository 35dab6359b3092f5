#include "core/output.h"

#include <cstdarg>
#include <cstring>

namespace vornup {

Output::~Output() {
  closeLog();
  closeTrace();
}

namespace {

// Every status line that ends a run names its return code.
constexpr char kStatusMarker[] = "Return Code=";

}  // namespace

void Output::consoleOut(const char* fmt, ...) {
  if (std::strstr(fmt, kStatusMarker) != nullptr) {
    char line[512];
    va_list args;
    va_start(args, fmt);
    const int length = std::vsnprintf(line, sizeof line, fmt, args);
    va_end(args);
    lastStatusLine_.assign(line, length < 0 ? 0 : std::strlen(line));
  }
  // Failed writes to any output are ignored: a full disk must not stop a
  // firmware run half way.
  if (!silent && console != nullptr) {
    va_list args;
    va_start(args, fmt);
    std::vfprintf(console, fmt, args);
    va_end(args);
  }
  if (logFile != nullptr) {
    va_list args;
    va_start(args, fmt);
    std::vfprintf(logFile, fmt, args);
    va_end(args);
  }
  if (console != nullptr) std::fflush(console);
}

void Output::traceOut(const char* fmt, ...) {
  if (debugTrace != nullptr) {
    va_list args;
    va_start(args, fmt);
    std::vfprintf(debugTrace, fmt, args);
    va_end(args);
  }
  if (console != nullptr) std::fflush(console);
}

void Output::closeLog() {
  if (logFile != nullptr) std::fclose(logFile);
  logFile = nullptr;
}

void Output::closeTrace() {
  if (debugTrace != nullptr) std::fclose(debugTrace);
  debugTrace = nullptr;
}

}  // namespace vornup
