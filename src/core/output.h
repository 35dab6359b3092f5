// The program's three outputs: the console, the log file (/log=) and the
// debug trace "dbg.log" (/xv).
//
// User-facing text goes through consoleOut: to standard output unless the run
// is silent, and always to the log file when one is open. Diagnostic text goes
// through traceOut, only into the debug trace.
#pragma once

#include <cstdio>

#include "core/printf_check.h"

namespace vornup {

class Output {
 public:
  Output() = default;
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;
  ~Output();

  void consoleOut(const char* fmt, ...) VORNUP_PRINTF(2, 3);
  void traceOut(const char* fmt, ...) VORNUP_PRINTF(2, 3);

  bool tracing() const { return debugTrace != nullptr; }

  // Closes the log file and the trace (each only when open).
  void closeLog();
  void closeTrace();

  // Where standard output goes; tests point it at a file of their own.
  std::FILE* console = stdout;
  bool silent = false;
  std::FILE* logFile = nullptr;
  std::FILE* debugTrace = nullptr;

  // Diagnostics for the administrator that the console text does not carry
  // (why a step failed, where the tool was looked for): to standard error
  // only, also in silent runs, so standard output stays as it always was.
  void diagnosticOut(const char* fmt, ...) VORNUP_PRINTF(2, 3);
  // Where diagnostics go; tests point it at a file of their own.
  std::FILE* diagnostics = stderr;
};

}  // namespace vornup
