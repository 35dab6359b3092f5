#include "core/output.h"

#include <cerrno>
#include <cstdarg>
#include <cstring>

#include "platform/interrupts.h"

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
    // A run ended by a signal or killed outright keeps every line it wrote.
    std::fflush(logFile);
  }
  flushConsole();
}

void Output::traceOut(const char* fmt, ...) {
  // Image discovery traces a dozen lines per file: without a trace this
  // must cost nothing.
  if (debugTrace == nullptr) return;
  va_list args;
  va_start(args, fmt);
  std::vfprintf(debugTrace, fmt, args);
  va_end(args);
  flushConsole();
}

void Output::errorOut(const char* fmt, ...) {
  va_list args;
  // A silent run with a log keeps them there; without one, standard error
  // is the only place they can go.
  if (errors != nullptr && !(silent && logFile != nullptr)) {
    va_start(args, fmt);
    std::vfprintf(errors, fmt, args);
    va_end(args);
    std::fflush(errors);
  }
  if (logFile != nullptr) {
    va_start(args, fmt);
    std::vfprintf(logFile, fmt, args);
    va_end(args);
    std::fflush(logFile);
  }
}

void Output::flushConsole() {
  if (console == nullptr) return;
  errno = 0;
  // A reader that went away (`| head`) ends the run like an interrupt; the
  // log still receives every line.
  if (std::fflush(console) != 0 && errno == EPIPE) recordClosedOutput();
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
