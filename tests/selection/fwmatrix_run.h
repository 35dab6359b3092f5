// A captured run whose fwmatrix.txt holds given text, opened as the driver
// opens it.
#pragma once

#include <string>

#include "support/captured_run.h"

namespace vornup {

class FwmatrixRun : public CapturedRun {
 public:
  explicit FwmatrixRun(const std::string& content) {
    scratch.write("fwmatrix.txt", content);
    run.fwmatrixFile = std::fopen(scratch.file("fwmatrix.txt").c_str(), "r");
    EXPECT_NE(run.fwmatrixFile, nullptr);
  }
};

}  // namespace vornup
