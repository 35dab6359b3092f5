// The run report (/json=) of whole runs: written by every early exit,
// refused before anything touches the host when it cannot be written, left
// whole when a run is killed, valid JSON whatever bytes the tool replies with,
// and in the host's own path form. (Every other end-to-end run checks its
// report against its console through the harness.)
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <string>
#include <vector>

#include "e2e/rack_fixture.h"
#include "e2e/report_check.h"
#include "platform/host_names.h"
#include "support/captured_run.h"
#include "support/host_registry.h"

namespace vornup {
namespace {

using Json = nlohmann::json;
using namespace ports;

Json readReport(const E2eHost& host) {
  return reportcheck::parsed(ScratchDirectory::readFile(host.reportPath()));
}

TEST(RunReportEarlyExits, EveryEarlyExitWritesItsReport) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    void (*prepare)(E2eHost& host);
    int exitCode;
    const char* status;
  };
  const Case cases[] = {
      {"invalid switches", {"/rewrite", "/update"}, nullptr, 2, "Error - invalid switch options"},
      {"no fwmatrix.txt", {"/q"}, nullptr, 2, "Error - fwmatrix update table not found"},
      {"no image directories",
       {"/auto", "/update"},
       nullptr,
       6,
       "Error - the firmware subdirectory was not found"},
      {"no tool",
       {"/update"},
       [](E2eHost& host) { host.writeInstallFile("fwmatrix.txt", "KF1602 zf290a1.all\n"); },
       4,
       "Error - Korvane command line application kit not installed"},
      {"no adapters",
       {"/q"},
       [](E2eHost& host) {
         host.writeInstallFile("fwmatrix.txt", "KF1602 zf290a1.all\n");
         host.installTool(TANDREL_SIM_PATH);
         host.writeInstallFile("Quenmar/host.txt", "[host]\nname = empty\n");
         host.unsetEnvironment("TANDREL_SIM_HOST");
       },
       5,
       "Error - no supported Korvane HBAs found"},
  };
  for (const Case& c : cases) {
    E2eHost host;
    if (c.prepare != nullptr) c.prepare(host);
    RunResult result = host.run(c.args);
    EXPECT_EQ(result.exitCode, c.exitCode) << c.name << ":\n" << result.console;
    const Json report = readReport(host);
    ASSERT_TRUE(report.is_object()) << c.name;
    EXPECT_EQ(report["exit_code"], c.exitCode) << c.name;
    EXPECT_EQ(report["status"]["text"], c.status) << c.name;
    EXPECT_EQ(report["ports"], Json::array()) << c.name;
    EXPECT_EQ(report["reboot_required"], false) << c.name;
    // The tool is located last of these steps.
    EXPECT_EQ(report["tool_path"].is_null(), c.exitCode != 5) << c.name;
  }
}

TEST(RunReportEarlyExits, UsageAndSwitchErrorsWriteNone) {
  const std::vector<std::vector<std::string>> runs = {{"/?"}, {"/q", "/bogus"}};
  for (const auto& args : runs) {
    E2eHost host;
    std::vector<std::string> withReport = args;
    withReport.insert(withReport.begin(), "/json=" + host.reportPath());
    RunResult result = host.run(withReport);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::u8path(host.reportPath()))) << args.back();
  }
}

using RunReportRefused = SimulatedHostTest;

TEST_F(RunReportRefused, AReportThatCannotBeWrittenEndsTheRunBeforeTheTool) {
  describeHost({kKf1602});
  writeFwmatrix("KF1602 zf290a1.all\n");
  const std::string folder = host.workDirectory() + "reports";
  std::filesystem::create_directories(std::filesystem::u8path(folder));
  struct Case {
    std::vector<std::string> args;
    std::string line;
  };
  const std::string missing = host.workDirectory() + "gone" + kPathSeparator + "r.json";
  const Case cases[] = {
      {{"/q", "/json=" + missing},
       "\n" + std::string(kProgramName) + ": Error - unable to write run report " + missing +
           " - Return Code=4\n\n"},
      {{"/update", "/json=" + folder},
       "\n" + std::string(kProgramName) + ": Error - unable to write run report " + folder +
           " - Return Code=4\n\n"},
      {{"/q", "/json=", "/update"},
       "\n" + std::string(kProgramName) + ": Error - unable to write run report  - Return Code=4\n\n"},
      {{"/q", "/json=" + host.reportPath(), "/JSON=" + host.reportPath()},
       "\n" + std::string(kProgramName) +
           ": Error - cannot write multiple run reports - Return Code=4\n\n"},
  };
  for (const Case& c : cases) {
    RunResult result = host.run(c.args);
    EXPECT_EQ(result.exitCode, 4) << c.args.back();
    // The reason goes to standard error, the status line and the usage to
    // standard output; nothing reached the tool.
    EXPECT_TRUE(contains(result.console, c.line)) << result.console;
    EXPECT_TRUE(contains(result.console, "Korvane Firmware Update Utility")) << result.console;
    EXPECT_EQ(takeToolCommands(), std::vector<std::string>()) << c.args.back();
    EXPECT_TRUE(host.tempDirectoryIsEmpty());
  }
  EXPECT_TRUE(std::filesystem::is_empty(std::filesystem::u8path(folder)));
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::u8path(host.reportPath())));
}

using RunReportKilled = RackTest;

// No earlier report is left behind: the killed run's in-progress document
// stands, whole.
TEST_F(RunReportKilled, ARunKilledWhileItRunsLeavesItsInProgressReportWhole) {
  if (kWindowsHost) GTEST_SKIP() << "SIGKILL and the POSIX shell: Linux only";
  RunResult first = host.run({"/auto", "/update"});
  ASSERT_EQ(first.exitCode, 0) << first.console;
  const std::string previous = ScratchDirectory::readFile(host.reportPath());
  ASSERT_FALSE(previous.empty());
  takeToolCommands();
  // The downgrade's first download answers late; the run is killed while it
  // waits, long before it would write its report.
  host.setEnvironment("TANDREL_SIM_DELAY", "download 2000");
  host.runAndKill({"/auto", "/downgrade", "/json=" + host.reportPath()},
                  host.workDirectory() + "tool.log", "download ", 2500);
  const nlohmann::json left = reportcheck::parsed(ScratchDirectory::readFile(host.reportPath()));
  ASSERT_TRUE(left.is_object()) << ScratchDirectory::readFile(host.reportPath());
  EXPECT_EQ(left["in_progress"], true);
  EXPECT_EQ(left["operation"], "downgrade");
  EXPECT_EQ(left["exit_code"], nullptr);
  EXPECT_NE(ScratchDirectory::readFile(host.reportPath()), previous);
  const std::filesystem::path folder = std::filesystem::u8path(host.reportPath()).parent_path();
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().u8string());
  }
  EXPECT_EQ(names, std::vector<std::string>{"run report.json"});
  // The kill came during the download.
  std::vector<std::string> commands = takeToolCommands();
  ASSERT_FALSE(commands.empty());
  EXPECT_EQ(commands.back().compare(0, 9, "download "), 0) << commands.back();
}

using RunReportDamage = SimulatedHostTest;

TEST_F(RunReportDamage, RepliesWithAnyBytesStillGiveValidJson) {
  // A download answered with binary junk (every byte value) fails with that
  // reply; attributes with 0xFF bytes and NULs in every value.
  describeHost({withSetting(kKf1602, "fault.download = garbage"),
                withSetting(kKf810, kWindowsHost ? "fault.hbaattrib = crlf" : "fault.hbaattrib = nul-ff")});
  writeFirmwareAll("zf290a1.all", kAllZF, "290A1");
  RunResult result = host.run({"/auto", "/update", "/q"});
  const std::string text = ScratchDirectory::readFile(host.reportPath());
  const Json report = reportcheck::parsed(text);
  ASSERT_TRUE(report.is_object()) << text;
  for (unsigned char byte : text) EXPECT_TRUE(byte >= 0x20 || byte == '\n') << static_cast<int>(byte);
  ASSERT_EQ(report["ports"].size(), 2u) << text;
  const Json& firmware = report["ports"][0]["images"]["firmware"];
  EXPECT_EQ(firmware["outcome"], "failed") << text;
  EXPECT_EQ(firmware["reason"], "the tool did not report a completed download");
  ASSERT_TRUE(firmware["tool_reply"].is_string()) << text;
  // Bytes that are no UTF-8 became U+FFFD.
  EXPECT_TRUE(contains(firmware["tool_reply"].get<std::string>(), "\xef\xbf\xbd")) << text;
}

using RunReportPaths = RackTest;

TEST_F(RunReportPaths, ToolAndImagesInTheHostsPathForm) {
  RunResult result = host.run({"/auto", "/rewrite", "/p"});
  ASSERT_EQ(result.exitCode, 0) << result.console;
  const Json report = readReport(host);
  const std::string tool = report["tool_path"].get<std::string>();
  EXPECT_EQ(tool, host.installDirectory() + "Quenmar" + kPathSeparator + kToolExecutable);
  const Json& image = report["ports"][0]["images"]["firmware"]["image"];
  EXPECT_EQ(image["path"], firmwarePath("zf290a1.all"));
  EXPECT_EQ(image["identifier"], "ZF290A1");
  if (kWindowsHost) {
    EXPECT_EQ(tool.find('/'), std::string::npos) << tool;
    EXPECT_EQ(tool.substr(1, 2), ":\\") << tool;
  }
  EXPECT_EQ(report["preview"], true);
  EXPECT_EQ(report["ports"][0]["images"]["firmware"]["outcome"], "previewed");
  EXPECT_EQ(report["reboot_required"], false);
}

}  // namespace
}  // namespace vornup
