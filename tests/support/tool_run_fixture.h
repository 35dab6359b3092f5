// Test support: a run with firmware and boot directories in its scratch
// directory and a tool that answers every command with `reply`, for the steps
// that choose and download images.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/adapter.h"
#include "support/captured_run.h"
#include "support/fake_tool_runner.h"

namespace vornup {

class ToolRunFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    c.usePrivateTemp();
    c.run.firmwareDirectory.format("%sfirmware%c", c.scratch.path().c_str(), kPathSeparator);
    c.run.bootDirectory.format("%sboot%c", c.scratch.path().c_str(), kPathSeparator);
    ASSERT_TRUE(std::filesystem::create_directory(c.run.firmwareDirectory.c_str()));
    ASSERT_TRUE(std::filesystem::create_directory(c.run.bootDirectory.c_str()));
    c.run.toolPath.set("\"/opt/korvane/Quenmar/Tandrel\"");
    c.run.toolFileName = "Tandrel";
    runner.onCall = [this](const FakeToolCall&) { return FakeToolReply{reply}; };
    c.run.toolRunner = &runner;
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

  // The tool arguments of every command run.
  std::vector<std::string> toolCalls() const { return runner.arguments(); }

  CapturedRun c;
  FakeToolRunner runner;
  std::string reply = "Download Complete.\n";
};

}  // namespace vornup
