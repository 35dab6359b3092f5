// The run report that /json=<file> asks for: where it goes. Empty path: no
// report. What it says comes from the run record (core/run_record.h).
#pragma once

#include <string>

namespace vornup {

struct ReportRequest {
  std::string path;      // as given on the command line
  bool written = false;  // a run writes its report once

  bool requested() const { return !path.empty(); }
};

}  // namespace vornup
