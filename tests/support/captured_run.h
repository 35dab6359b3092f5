// Test support: a run state on the in-process platform stand-in whose console
// and debug trace go to files of the test's own, so tests can compare the
// exact text the program printed; and a scratch directory that disappears with
// everything in it when the test ends.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "core/run_state.h"
#include "support/fake_platform.h"
#include "platform/host_names.h"
#include "platform/platform.h"

namespace vornup {

class ScratchDirectory {
 public:
  ScratchDirectory() {
    std::string base;
    if (!hostPlatform().temporaryDirectoryBase(base) ||
        !hostPlatform().createPrivateDirectory(base, path_)) {
      ADD_FAILURE() << "no scratch directory could be created";
    }
  }
  ~ScratchDirectory() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(std::filesystem::u8path(path_), ignored);
  }
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  // The directory, with a trailing separator.
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + name; }

  // Writes `text` into the file `name` of the directory.
  void write(const std::string& name, const std::string& text) const {
    std::FILE* file = std::fopen(this->file(name).c_str(), "wb");
    ASSERT_NE(file, nullptr) << name;
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
  }

  // The content of the file `name`, or "" when it cannot be read.
  std::string read(const std::string& name) const { return readFile(file(name)); }

  // The content of a file the program wrote in text mode (the log file, the
  // trace), with Windows line ends turned into "\n".
  std::string readText(const std::string& name) const {
    std::string text;
    for (char c : read(name)) {
      if (c == '\n' && !text.empty() && text.back() == '\r') text.pop_back();
      text += c;
    }
    return text;
  }

  static std::string readFile(const std::string& path) {
    std::string text;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return text;
    char buffer[512];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
    std::fclose(file);
    return text;
  }

 private:
  std::string path_;
};

class CapturedRun {
 public:
  CapturedRun() : run(platform) {
    run.programName = "vornup.exe";
    run.out.console = openCapture("console.txt");
    run.out.debugTrace = openCapture("trace.txt");
    run.out.errors = openCapture("errors.txt");
  }
  ~CapturedRun() {
    if (run.out.console != nullptr) std::fclose(run.out.console);
    run.out.console = nullptr;
    if (run.out.errors != nullptr) std::fclose(run.out.errors);
    run.out.errors = nullptr;
  }
  CapturedRun(const CapturedRun&) = delete;
  CapturedRun& operator=(const CapturedRun&) = delete;

  // Everything written so far; the capture is emptied for the next check.
  std::string console() { return take(run.out.console, "console.txt"); }
  std::string trace() { return take(run.out.debugTrace, "trace.txt"); }
  // What went to standard error.
  std::string errors() { return take(run.out.errors, "errors.txt"); }

  // Gives the run a private temporary directory with its output file, as the
  // driver does at start-up.
  void usePrivateTemp() {
    std::string created;
    ASSERT_TRUE(hostPlatform().createPrivateDirectory(scratch.path(), created));
    run.tempDirectory.set(created.c_str());
    run.tempFilePath.format("%stemp.txt", created.c_str());
  }

  ScratchDirectory scratch;
  FakePlatform platform;
  RunState run;

 private:
  std::FILE* openCapture(const char* name) {
    std::FILE* file = std::fopen(scratch.file(name).c_str(), "w+b");
    EXPECT_NE(file, nullptr) << name;
    return file;
  }

  std::string take(std::FILE*& file, const char* name) {
    if (file == nullptr) return std::string();
    std::fclose(file);
    std::string text = scratch.read(name);
    file = openCapture(name);
    return text;
  }
};

}  // namespace vornup
