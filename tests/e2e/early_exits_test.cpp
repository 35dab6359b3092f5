// The program's early exits, run end to end: the installed executable on an
// empty host, with its console text and exit code.
#include <gtest/gtest.h>

#include <string>

#include "e2e/e2e_host.h"
#include "platform/host_names.h"
#include "support/host_registry.h"

namespace vornup {
namespace {

std::string errorLine(const std::string& reason, int code) {
  return std::string("\n") + kProgramName + ": Error - " + reason +
         " - Return Code=" + std::to_string(code) + "\n\n";
}

const std::string kUsageStart = "\nvornupOnline v6.0.23.1 - Korvane Firmware Update Utility\n\n" +
                                std::string(kProgramName) +
                                "  [/auto] [/downgrade] [/e] [/f] [/ff] [/fb] [/g] [/help]\n";
const std::string kUsageEnd =
    "\n    /v          Verbose - Display progress messages.\n"
    "    /timeout=<minutes> Download time limit in minutes, 1-1440 (default 60).\n"
    "    /json=<file> Write a machine-readable run report (JSON) to <file>.\n"
    "    /baseline=<file> Use the signed baseline <file> instead of baseline.json.\n"
    "    /prom=<file> Write the run's metrics (Prometheus text format) to <file>.\n\n";
constexpr char kClosingLines[] = "\n\n";

bool startsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

bool endsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

TEST(EarlyExits, UsageWithoutArgumentsGives0) {
  E2eHost host;
  RunResult result = host.run({});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_TRUE(startsWith(result.console, kUsageStart)) << result.console;
  EXPECT_TRUE(endsWith(result.console, kUsageEnd + kClosingLines)) << result.console;
}

TEST(EarlyExits, MissingRightsGive2) {
  if (kWindowsHost) GTEST_SKIP() << "the test host always grants the rights probe";
  E2eHost host;
  host.denyRights();
  RunResult result = host.run({"/s", "/q"});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.console, errorLine("insufficient privileges", 2));
}

TEST(EarlyExits, SwitchErrorsGive4WithTheUsage) {
  E2eHost host;
  RunResult result = host.run({"/q", "/logfile=run.log"});
  EXPECT_EQ(result.exitCode, 4);
  std::string error = errorLine("Unknow switch = /logfile=run.log", 4);
  EXPECT_TRUE(startsWith(result.console, error + kUsageStart)) << result.console;
  EXPECT_TRUE(endsWith(result.console, kUsageEnd + kClosingLines));
}

TEST(EarlyExits, InvalidSwitchCombinationGives2) {
  E2eHost host;
  RunResult result = host.run({"/rewrite", "/update"});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.console, "\nInvalid options: /rewrite cannot be used with /update or /downgrade" +
                                errorLine("invalid switch options", 2));
  EXPECT_TRUE(host.tempDirectoryIsEmpty());
}

TEST(EarlyExits, MissingFwmatrixGives2) {
  E2eHost host;
  // The table is looked for beside the program, not in the current directory.
  host.writeWorkFile("fwmatrix.txt", "KV7100 fw.all boot.prg\n");
  RunResult result = host.run({"/q"});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.console, errorLine("fwmatrix update table not found", 2) + kClosingLines);
  EXPECT_TRUE(host.tempDirectoryIsEmpty());
}

TEST(EarlyExits, ToolNotInstalledGives4) {
  E2eHost host;
  host.writeInstallFile("fwmatrix.txt", "KV7100 fw.all boot.prg\n");
  RunResult result = host.run({"/update"});
  EXPECT_EQ(result.exitCode, 4);
  // Where it looked goes to standard error first: each key's value and that
  // it is not set; then the status line.
  std::string looked = std::string(kProgramName) + ": the management tool was looked for in:\n";
  for (const char* value : {"Quenmar\\QuenmarDir", "Drumlin\\DrumlinDir"}) {
    std::string where = std::string("SOFTWARE\\Korvane\\") + value;
    if (!kWindowsHost) {
      for (char& c : where) c = c == '\\' ? '/' : c;
      where = host.registryRootPath() + "/" + where;
    } else {
      where = "HKEY_LOCAL_MACHINE\\" + where;
    }
    looked += "  " + where + ": not set\n";
  }
  EXPECT_EQ(result.console, looked +
                                errorLine("Korvane command line application kit not installed", 4) +
                                kClosingLines);
  EXPECT_TRUE(host.tempDirectoryIsEmpty());
}

TEST(EarlyExits, SilentRunWritesOnlyTheLogAcrossRuns) {
  E2eHost host;
  std::string log = host.workDirectory() + "run.log";
  RunResult first = host.run({"/s", "/log=" + log, "/q"});
  host.writeInstallFile("firmware/readme.txt", "");
  host.writeInstallFile("boot/readme.txt", "");
  RunResult second = host.run({"/s", "/l=" + log, "/auto", "/update"});
  EXPECT_EQ(first.exitCode, 2);
  EXPECT_EQ(second.exitCode, 4);
  EXPECT_EQ(first.console + second.console, "");
  // The log has the status lines and, between them, where the second run
  // looked for the tool (standard error's lines, kept in the log).
  const std::string written = host.readWorkFile("run.log");
  const std::string firstLines = errorLine("fwmatrix update table not found", 2) + kClosingLines;
  const std::string lastLines =
      errorLine("Korvane command line application kit not installed", 4) + kClosingLines;
  EXPECT_EQ(written.compare(0, firstLines.size(), firstLines), 0) << written;
  ASSERT_GE(written.size(), firstLines.size() + lastLines.size()) << written;
  EXPECT_EQ(written.substr(written.size() - lastLines.size()), lastLines) << written;
  EXPECT_NE(written.find(std::string(kProgramName) + ": the management tool was looked for in:\n",
                         firstLines.size()),
            std::string::npos)
      << written;
}

}  // namespace
}  // namespace vornup
