// The run report of an end-to-end run, checked against what the run showed
// on the console: the same exit code and status line, the same versions in
// the query lines, the same image and outcome in the download result lines,
// the reboot notice exactly when the report asks for a reboot.
#pragma once

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace vornup {
namespace reportcheck {

// What a run showed: its arguments, exit code and console text.
struct ConsoleRun {
  std::vector<std::string> arguments;
  int exitCode = -1;
  std::string console;
};

// Whether the run must have written its report: one that got past the
// switches must, and so must one refused at the lock or the rights probe;
// one that showed the usage must not. A silent run that ended with 4 may
// have stopped at its switches or later, so either holds.
enum class Expected { report, noReport, either };
Expected reportExpected(const ConsoleRun& run);

// The status line's text as the report gives it: "" when the console shows
// no status line.
std::string consoleStatusText(const std::string& console);

// Every disagreement between `report` (the document's text) and the run,
// one line each; empty when they agree. `installDirectory` is where the
// program and the tool lie: the tool path and every image path of the
// report begin with it.
std::vector<std::string> disagreements(const std::string& report, const ConsoleRun& run,
                                       const std::string& installDirectory);

// The document parsed; a discarded value when it is not JSON.
nlohmann::json parsed(const std::string& report);

}  // namespace reportcheck
}  // namespace vornup
