// The host platform itself: on Linux the registry stand-in, /proc/self/exe,
// /bin/sh and readdir; on Windows (under Wine) the real registry, the module
// file name, cmd.exe and FindFirstFileA.
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "core/run_state.h"
#include "platform/host_names.h"
#include "support/captured_run.h"
#include "support/host_registry.h"
#include "tool/tandrel.h"

namespace vornup {
namespace {

namespace fs = std::filesystem;

// Keys of the tests' own, apart from those the program uses.
constexpr char kTestKey[] = "SOFTWARE\\KorvaneTest\\Platform";
constexpr char kRightsProbeKey[] = "SOFTWARE\\KorvaneFwupdate";

Platform& host() { return hostPlatform(); }

class HostRegistryValues : public ::testing::Test {
 protected:
  void TearDown() override { HostRegistry::removeKey("SOFTWARE\\KorvaneTest"); }
};

TEST(HostPlatform, ModuleFileNameIsThisProgramsFullPath) {
  std::string name = host().moduleFileName();
  std::string separatorAndName = std::string(1, kPathSeparator) + "vornup_platform_tests";
  if (kWindowsHost) separatorAndName += ".exe";
  ASSERT_GE(name.size(), separatorAndName.size());
  EXPECT_EQ(name.substr(name.size() - separatorAndName.size()), separatorAndName);
  EXPECT_TRUE(fs::exists(fs::u8path(name)));
}

TEST(HostPlatform, RightsProbeSucceedsAndLeavesNoKey) {
  HostRegistry::removeKey(kRightsProbeKey);
  EXPECT_TRUE(host().probeAdminRights());
  EXPECT_FALSE(HostRegistry::keyExists(kRightsProbeKey));
  // A key left over from elsewhere is opened and removed as well.
  ASSERT_TRUE(HostRegistry::createKey(kRightsProbeKey));
  EXPECT_TRUE(host().probeAdminRights());
  EXPECT_FALSE(HostRegistry::keyExists(kRightsProbeKey));
}

TEST_F(HostRegistryValues, StringValueIsReadBack) {
  const std::string directory =
      std::string("C:") + kPathSeparator + "Program Files" + kPathSeparator + "Korvane" +
      kPathSeparator;
  ASSERT_TRUE(HostRegistry::setString(kTestKey, "SuiteDir", directory));
  std::string value;
  EXPECT_TRUE(host().readRegistryString(kTestKey, "SuiteDir", value));
  EXPECT_EQ(value, directory);
}

TEST_F(HostRegistryValues, MissingKeyOrValueIsNotRead) {
  ASSERT_TRUE(HostRegistry::setString(kTestKey, "SuiteDir", "x"));
  std::string value = "unchanged";
  EXPECT_FALSE(host().readRegistryString(kTestKey, "OtherDir", value));
  EXPECT_FALSE(host().readRegistryString("SOFTWARE\\KorvaneTest\\Absent", "SuiteDir", value));
  EXPECT_EQ(value, "unchanged");
}

TEST_F(HostRegistryValues, ValueMustFitTheBufferWithItsTerminator) {
  ASSERT_TRUE(HostRegistry::setString(kTestKey, "Fits", std::string(253, 'f')));
  ASSERT_TRUE(HostRegistry::setString(kTestKey, "TooLong", std::string(254, 't')));
  std::string value;
  EXPECT_TRUE(host().readRegistryString(kTestKey, "Fits", value));
  EXPECT_EQ(value, std::string(253, 'f'));
  EXPECT_FALSE(host().readRegistryString(kTestKey, "TooLong", value));
}

TEST_F(HostRegistryValues, OneTrailingLineEndIsNotPartOfAValueFile) {
  if (kWindowsHost) GTEST_SKIP() << "value files stand in for the registry on POSIX only";
  struct Case {
    const char* content;
    const char* value;
  };
  const Case cases[] = {{"/opt/korvane/\n", "/opt/korvane/"},
                        {"/opt/korvane/\r\n", "/opt/korvane/"},
                        {"/opt/korvane/", "/opt/korvane/"},
                        {"/opt/korvane/\n\n", "/opt/korvane/\n"},
                        {"/opt/korvane/\r", "/opt/korvane/\r"},
                        {"", ""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.content);
    ASSERT_TRUE(HostRegistry::setRawValueFile(kTestKey, "SuiteDir", c.content));
    std::string value;
    EXPECT_TRUE(host().readRegistryString(kTestKey, "SuiteDir", value));
    EXPECT_EQ(value, c.value);
  }
}

TEST_F(HostRegistryValues, ValueThatIsNoStringIsNotRead) {
  if (!kWindowsHost) GTEST_SKIP() << "only the Windows registry has typed values";
  ASSERT_TRUE(HostRegistry::setNumber(kTestKey, "SuiteDir", 42));
  std::string value;
  EXPECT_FALSE(host().readRegistryString(kTestKey, "SuiteDir", value));
}

TEST(HostPlatform, CommandStatusIsTheInterpretersExitStatus) {
  EXPECT_EQ(host().runCommand("exit 3"), 3);
  EXPECT_EQ(host().runCommand("exit 0"), 0);
}

TEST(HostPlatform, TemporaryDirectoryBaseIsTemp) {
  std::string base;
  ASSERT_TRUE(host().temporaryDirectoryBase(base));
  EXPECT_FALSE(base.empty());
  std::string temp;
  if (host().getEnvironment("TEMP", temp) && !temp.empty()) {
    EXPECT_EQ(base, temp);
  }
  EXPECT_TRUE(fs::is_directory(fs::u8path(base)));
}

TEST(HostPlatform, PrivateDirectoriesAreUniqueAndRemovable) {
  ScratchDirectory scratch;
  const std::string parent = scratch.file("temp dir");
  fs::create_directory(fs::u8path(parent));
  std::string first;
  std::string second;
  ASSERT_TRUE(host().createPrivateDirectory(parent, first));
  ASSERT_TRUE(host().createPrivateDirectory(parent + kPathSeparator, second));
  EXPECT_NE(first, second);
  for (const std::string& created : {first, second}) {
    EXPECT_EQ(created.rfind(parent + kPathSeparator, 0), 0u) << created;
    EXPECT_EQ(created.back(), kPathSeparator);
    EXPECT_TRUE(fs::is_directory(fs::u8path(created)));
    if (!kWindowsHost) {
      EXPECT_EQ(fs::status(fs::u8path(created)).permissions() & fs::perms::all,
                fs::perms::owner_all);
    }
    host().removeDirectory(created);
    EXPECT_FALSE(fs::exists(fs::u8path(created)));
  }
  std::string none;
  EXPECT_FALSE(host().createPrivateDirectory(scratch.file("absent"), none));
}

TEST(HostPlatform, DirectorySearchReportsFilesAndDirectories) {
  ScratchDirectory scratch;
  scratch.write("fw1.all", "a");
  scratch.write("FW2.ALL", "b");
  fs::create_directory(fs::u8path(scratch.file("sub.ufi")));
  std::set<std::string> files;
  std::set<std::string> directories;
  ASSERT_TRUE(host().forEachDirectoryEntry(scratch.path(), [&](const DirectoryEntry& entry) {
    if (entry.isDirectory) directories.insert(entry.name);
    if (entry.isRegularFile) files.insert(entry.name);
    EXPECT_FALSE(entry.isDirectory && entry.isRegularFile);
  }));
  EXPECT_EQ(files, (std::set<std::string>{"fw1.all", "FW2.ALL"}));
  EXPECT_EQ(directories.count("sub.ufi"), 1u);
  EXPECT_FALSE(host().forEachDirectoryEntry(scratch.file("absent") + kPathSeparator,
                                            [](const DirectoryEntry&) {}));
}

// A stand-in tool in a directory whose name has a blank: it prints each of
// its arguments on a line of its own.
std::string installEchoTool(const ScratchDirectory& scratch) {
  const std::string folder = scratch.file("tool dir");
  fs::create_directory(fs::u8path(folder));
  std::string tool = folder + kPathSeparator + (kWindowsHost ? "Tandrel.cmd" : "Tandrel");
  std::FILE* file = std::fopen(tool.c_str(), "wb");
  if (file == nullptr) return std::string();
  std::fputs(kWindowsHost ? "@for %%a in (%*) do @echo %%a\r\n"
                          : "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\"; done\n",
             file);
  std::fclose(file);
  fs::permissions(fs::u8path(tool), fs::perms::owner_all);
  return tool;
}

class HostCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tool = installEchoTool(scratch);
    ASSERT_FALSE(tool.empty());
    run.toolPath.format("\"%s\"", tool.c_str());
    run.programName = "vornup.exe";
    run.out.console = nullptr;
    const std::string temp = scratch.file("temp dir!x");
    fs::create_directory(fs::u8path(temp));
    std::string created;
    ASSERT_TRUE(host().createPrivateDirectory(temp, created));
    run.tempDirectory.set(created.c_str());
    run.tempFilePath.format("%stemp.txt", created.c_str());
  }

  ScratchDirectory scratch;
  RunState run{hostPlatform()};
};

TEST_F(HostCommands, QuotedToolAndTempFileWithBlanksRunThroughTheInterpreter) {
  const ToolStep step = executeTandrel(run, "hbaattrib 10:00:00:00:5E:AA:BB:CC");
  EXPECT_EQ(step.outcome, ToolStepOutcome::ran);
  EXPECT_EQ(step.status, 0);
  EXPECT_STREQ(run.toolOutput.c_str(), "hbaattrib\n10:00:00:00:5E:AA:BB:CC\n");
  EXPECT_FALSE(fs::exists(fs::u8path(run.tempFilePath.c_str())));
}

TEST_F(HostCommands, AutoRunCommandsDoNotReachTheOutput) {
  if (!kWindowsHost) GTEST_SKIP() << "the command interpreter's AutoRun is a Windows feature";
  const char kProcessorKey[] = "SOFTWARE\\Microsoft\\Command Processor";
  ASSERT_TRUE(HostRegistry::setString(kProcessorKey, "AutoRun", "echo injected"));
  const ToolStep step = executeTandrel(run, "listhbas local");
  HostRegistry::setString(kProcessorKey, "AutoRun", "");
  EXPECT_EQ(step.outcome, ToolStepOutcome::ran);
  EXPECT_EQ(step.status, 0);
  EXPECT_STREQ(run.toolOutput.c_str(), "listhbas\nlocal\n");
}

}  // namespace
}  // namespace vornup
