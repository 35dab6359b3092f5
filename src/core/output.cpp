#include "core/output.h"

#include <cstdarg>

namespace vornup {

Output::~Output() {
  closeLog();
  closeTrace();
}

void Output::consoleOut(const char* fmt, ...) {
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

void Output::diagnosticOut(const char* fmt, ...) {
  if (diagnostics == nullptr) return;
  if (console != nullptr) std::fflush(console);
  va_list args;
  va_start(args, fmt);
  std::vfprintf(diagnostics, fmt, args);
  va_end(args);
  std::fflush(diagnostics);
}

}  // namespace vornup
