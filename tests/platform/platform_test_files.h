// Shared by the platform tests: a scratch directory of the test's own, reading
// and writing through the safe file functions, and the helper program that
// plays a second process (platform_helper.cpp).
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/host_names.h"
#include "platform/platform.h"
#include "platform/safe_files.h"

namespace vornup {

constexpr bool kWindows = kPathSeparator == '\\';

// Exit codes of the helper's "lock" command.
constexpr int kHelperLockAcquired = 0;
constexpr int kHelperLockHeld = 10;
constexpr int kHelperLockUnavailable = 11;

// Everything left to read from `file`.
inline std::string readAll(std::FILE* file) {
  std::string text;
  char buffer[4096];
  std::size_t count;
  while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, count);
  return text;
}

// Writes `text` to `path` through openFileForWriting; false when the file was
// refused or the write failed.
inline bool writeThrough(const std::string& path, WriteMode mode, const char* text) {
  std::FILE* file = openFileForWriting(path, mode);
  if (file == nullptr) return false;
  std::fputs(text, file);
  return std::fclose(file) == 0;
}

class TestDirectory {
 public:
  TestDirectory() {
    std::string base;
    if (!hostPlatform().temporaryDirectoryBase(base) ||
        !hostPlatform().createPrivateDirectory(base, path_)) {
      ADD_FAILURE() << "no scratch directory could be created";
    }
  }
  ~TestDirectory() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(std::filesystem::u8path(path_), ignored);
  }
  TestDirectory(const TestDirectory&) = delete;
  TestDirectory& operator=(const TestDirectory&) = delete;

  // With a trailing separator.
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + name; }

  bool write(const std::string& name, const std::string& text) const {
    std::FILE* file = std::fopen(this->file(name).c_str(), "wb");
    if (file == nullptr) return false;
    bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && written;
  }

  std::string read(const std::string& name) const {
    std::FILE* file = std::fopen(this->file(name).c_str(), "rb");
    if (file == nullptr) return std::string();
    std::string text = readAll(file);
    std::fclose(file);
    return text;
  }

  bool exists(const std::string& name) const {
    std::error_code ignored;
    return std::filesystem::exists(std::filesystem::symlink_status(
        std::filesystem::u8path(file(name)), ignored));
  }

 private:
  std::string path_;
};

// The helper program beside the test program, quoted for a command line.
inline std::string helperCommand() {
  std::string self = hostPlatform().moduleFileName();
  std::string helper = self.substr(0, self.rfind(kPathSeparator) + 1) + "vornup_platform_helper";
  if (kWindows) helper += ".exe";
  return "\"" + helper + "\"";
}

}  // namespace vornup
