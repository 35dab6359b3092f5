// The run report that /json=<file> asks for: where it goes and what the run
// knew when it started. Empty path: no report.
#pragma once

#include <ctime>
#include <string>
#include <vector>

namespace vornup {

struct ReportRequest {
  std::string path;                    // as given on the command line
  std::vector<std::string> arguments;  // the command line after the program name
  std::time_t started = 0;
  bool written = false;  // a run writes its report once

  bool requested() const { return !path.empty(); }
};

}  // namespace vornup
