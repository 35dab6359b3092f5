// The program's three outputs: the console, the log file (/log=) and the
// debug trace "dbg.log" (/xv).
//
// User-facing text goes through consoleOut: to standard output unless the run
// is silent, and always to the log file when one is open. Diagnostic text goes
// through traceOut, only into the debug trace. Diagnostics that are not part
// of the console text go through errorOut to the log file and to standard
// error, but for a silent run with a log file, whose log alone receives them.
// The log file is flushed after every write.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <string>

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
  void errorOut(const char* fmt, ...) VORNUP_PRINTF(2, 3);

  bool tracing() const { return debugTrace != nullptr; }

  // Closes the log file and the trace (each only when open).
  void closeLog();
  void closeTrace();

  // Where standard output goes; tests point it at a file of their own.
  std::FILE* console = stdout;
  // Where errorOut writes; tests may point it elsewhere or at nullptr.
  std::FILE* errors = stderr;
  bool silent = false;
  std::FILE* logFile = nullptr;
  std::FILE* debugTrace = nullptr;

 private:
  // Flushes the console; a write that failed with EPIPE is recorded as an
  // interrupt (platform/interrupts.h).
  void flushConsole();
};

}  // namespace vornup
