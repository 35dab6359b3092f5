#include "core/paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "driver/run_files.h"
#include "platform/host_names.h"
#include "support/captured_run.h"
#include "tool/tandrel.h"

namespace vornup {
namespace {

bool exists(const std::string& path) {
  return std::filesystem::exists(std::filesystem::u8path(path));
}

TEST(ComposePaths, BuildsTheDirectoriesBesideTheProgramAndTracesThem) {
  CapturedRun captured;
  RunState& run = captured.run;
  std::string bin = std::string("C:") + kPathSeparator + "Tools" + kPathSeparator;
  run.binDirectory.set(bin.c_str());
  run.toolFileName = "tandrel.exe";
  composePaths(run);
  EXPECT_EQ(run.firmwareDirectory.c_str(), bin + "firmware" + kPathSeparator);
  EXPECT_EQ(run.bootDirectory.c_str(), bin + "boot" + kPathSeparator);
  EXPECT_EQ(run.fwmatrixPath.c_str(), bin + "fwmatrix.txt");
  EXPECT_EQ(captured.trace(), "[Directory Paths]\nFirmware path = " + bin + "firmware" +
                                  kPathSeparator + "\nBootcode path = " + bin + "boot" +
                                  kPathSeparator + "\nBin      path = " + bin +
                                  "\nFwmatrix.txt  = " + bin +
                                  "fwmatrix.txt\nCLI util      = tandrel.exe\n\n");
  EXPECT_EQ(captured.console(), "");
}

TEST(ComposeTempPath, MakesAPrivateDirectoryInsideTemp) {
  CapturedRun captured;
  RunState& run = captured.run;
  captured.platform.environment["TEMP"] = captured.scratch.path();
  composeTempPath(run);
  std::string directory = run.tempDirectory.c_str();
  ASSERT_FALSE(directory.empty());
  EXPECT_EQ(directory.rfind(captured.scratch.path(), 0), 0u);
  EXPECT_GT(directory.size(), captured.scratch.path().size());
  EXPECT_EQ(directory.back(), kPathSeparator);
  EXPECT_TRUE(exists(directory));
  EXPECT_EQ(run.tempFilePath.c_str(), directory + "temp.txt");
  EXPECT_EQ(captured.trace(), "[Temp file]\n" + directory + "temp.txt\n");

  // Each run gets a directory of its own.
  CapturedRun other;
  other.platform.environment["TEMP"] = captured.scratch.path();
  composeTempPath(other.run);
  EXPECT_NE(other.run.tempDirectory.c_str(), directory);
}

TEST(ComposeTempPath, DirectoryDisappearsWithTheRunState) {
  CapturedRun captured;
  std::string directory;
  {
    FakePlatform platform;
    platform.environment["TEMP"] = captured.scratch.path();
    RunState run(platform);
    composeTempPath(run);
    directory = run.tempDirectory.c_str();
    ASSERT_TRUE(exists(directory));
    // Even a file left in it does not keep the directory.
    captured.scratch.write(directory.substr(captured.scratch.path().size()) + "temp.txt", "x");
  }
  EXPECT_FALSE(exists(directory));
}

TEST(ComposeTempPath, ShutdownRemovesTheDirectory) {
  CapturedRun captured;
  captured.platform.environment["TEMP"] = captured.scratch.path();
  composeTempPath(captured.run);
  std::string directory = captured.run.tempDirectory.c_str();
  ASSERT_TRUE(exists(directory));
  shutdownRun(captured.run);
  EXPECT_FALSE(exists(directory));
  EXPECT_TRUE(captured.run.tempFilePath.empty());
  removeTempDirectory(captured.run);
}

TEST(ComposeTempPath, WithoutTempNoFileIsNamedAndToolStepsFail) {
  const char* values[] = {nullptr, ""};
  for (const char* value : values) {
    CapturedRun captured;
    if (value != nullptr) captured.platform.environment["TEMP"] = value;
    composeTempPath(captured.run);
    EXPECT_TRUE(captured.run.tempDirectory.empty());
    EXPECT_TRUE(captured.run.tempFilePath.empty());
    EXPECT_EQ(captured.trace(), "[Temp file]\n\n");

    captured.run.toolPath.set("\"Tandrel\"");
    EXPECT_EQ(executeTandrel(captured.run, "listhbas local").outcome, ToolStepOutcome::failed);
    EXPECT_TRUE(captured.platform.commands.empty());
    EXPECT_EQ(captured.console(), "");
    EXPECT_NE(captured.errors().find("\"listhbas local\" was not run"), std::string::npos);
  }
}

TEST(ComposeTempPath, UnusableTempDirectoryLeavesThePathEmpty) {
  CapturedRun captured;
  captured.platform.environment["TEMP"] = captured.scratch.file("missing");
  composeTempPath(captured.run);
  EXPECT_TRUE(captured.run.tempDirectory.empty());
  EXPECT_TRUE(captured.run.tempFilePath.empty());
}

}  // namespace
}  // namespace vornup
