// Test support: a run with firmware and boot directories in its scratch
// directory and a tool that answers every command with `reply`, for the image
// discovery and the update decision.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "image_files.h"
#include "selection/image_discovery.h"
#include "support/captured_run.h"
#include "tool/adapter.h"

namespace vornup {

class DecisionFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    c.usePrivateTemp();
    c.run.firmwareDirectory.format("%sfirmware%c", c.scratch.path().c_str(), kPathSeparator);
    c.run.bootDirectory.format("%sboot%c", c.scratch.path().c_str(), kPathSeparator);
    ASSERT_TRUE(std::filesystem::create_directory(c.run.firmwareDirectory.c_str()));
    ASSERT_TRUE(std::filesystem::create_directory(c.run.bootDirectory.c_str()));
    c.run.toolPath.set("\"/opt/korvane/Quenmar/Tandrel\"");
    c.run.toolFileName = "Tandrel";
    c.platform.onCommand = [this](const std::string& line) {
      FakePlatform::writeRedirectedOutput(line, reply);
      return 0;
    };
  }

  Adapter& add(const Adapter& adapter) {
    c.run.adapterList.push_back(std::make_unique<Adapter>(adapter));
    return *c.run.adapterList.back();
  }

  std::string firmwarePath(const std::string& name) const {
    return std::string(c.run.firmwareDirectory.c_str()) + name;
  }
  std::string bootPath(const std::string& name) const {
    return std::string(c.run.bootDirectory.c_str()) + name;
  }

  // The tool arguments of every command run, without the tool path and the
  // redirection.
  std::vector<std::string> toolCalls() const {
    std::vector<std::string> calls;
    const std::string tool = std::string(c.run.toolPath.c_str()) + " ";
    for (const std::string& line : c.platform.commands) {
      std::size_t start = line.find(tool) == 0 ? tool.size() : 0;
      std::size_t end = line.rfind(" > \"");
      calls.push_back(line.substr(start, end == std::string::npos ? end : end - start));
    }
    return calls;
  }

  // Builds both image lists from the two directories, as automatic mode does,
  // and empties the trace for what the test runs next.
  void discover() {
    discoverImages(c.run, c.run.firmwareDirectory.c_str(), ImageDirectoryKind::kFirmware,
                   c.run.firmwareList);
    discoverImages(c.run, c.run.bootDirectory.c_str(), ImageDirectoryKind::kBoot, c.run.bootList);
    c.trace();
  }

  // The download command of the file `path` for `address`.
  static std::string download(const std::string& address, const std::string& path) {
    return "download " + address + " \"" + path + "\"";
  }

  // Addresses of the sample adapters.
  static constexpr char kFcWwn[] = "10:00:00:00:5E:AA:BB:01";
  static constexpr char kFcoeWwn[] = "10:00:00:00:5E:CC:DD:02";

  CapturedRun c;
  std::string reply = "Download Complete.\n";
};

// Whether `text` holds `part`, for readable expectations.
inline bool holds(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// How often `part` occurs in `text`.
inline int occurrences(const std::string& text, const std::string& part) {
  int count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos;
       at = text.find(part, at + part.size())) {
    ++count;
  }
  return count;
}

}  // namespace vornup
