// A run state whose console and debug trace go to temporary files, so tests
// can compare the exact text the program printed.
#pragma once

#include <cstdio>
#include <string>

#include "driver/run_state.h"
#include "platform/fake_platform.h"

namespace vornup {

class CapturedRun {
 public:
  CapturedRun() : run(platform) {
    run.programName = "vornup.exe";
    run.out.console = std::tmpfile();
    run.out.debugTrace = std::tmpfile();
  }
  ~CapturedRun() {
    if (run.out.console != nullptr) std::fclose(run.out.console);
  }
  CapturedRun(const CapturedRun&) = delete;
  CapturedRun& operator=(const CapturedRun&) = delete;

  // Everything written so far; the file is emptied for the next check.
  std::string console() { return takeText(run.out.console); }
  std::string trace() { return takeText(run.out.debugTrace); }

  FakePlatform platform;
  RunState run;

 private:
  static std::string takeText(std::FILE*& file) {
    std::string text;
    if (file == nullptr) return text;
    std::fflush(file);
    std::rewind(file);
    char buffer[512];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
    std::fclose(file);
    file = std::tmpfile();
    return text;
  }
};

}  // namespace vornup
