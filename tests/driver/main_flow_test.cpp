#include "driver/main_flow.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "support/fake_platform.h"
#include "platform/host_names.h"
#include "support/arguments.h"
#include "support/captured_run.h"

namespace vornup {
namespace {

namespace fs = std::filesystem;

std::string message(const char* reason, int code) {
  return std::string("\n") + kProgramName + ": Error - " + reason +
         " - Return Code=" + std::to_string(code) + "\n\n";
}

const std::string kUsageStart = "\nvornupOnline v6.0.23.1 - Korvane Firmware Update Utility\n\n" +
                                std::string(kProgramName) + "  [/auto] [/downgrade]";
const std::string kUsageEnd =
    "Verbose - Display progress messages.\n"
    "    /timeout=<minutes> Download time limit in minutes, 1-1440 (default 60).\n"
    "    /json=<file> Write a machine-readable run report (JSON) to <file>.\n"
    "    /baseline=<file> Use the signed baseline <file> instead of baseline.json.\n"
    "    /prom=<file> Write the run's metrics (Prometheus text format) to <file>.\n\n";
constexpr char kClosingLines[] = "\n\n";

// A program installed in a scratch directory of its own, run in-process on
// the platform stand-in; its temporary directories go to "tmp" beside it.
class MainFlow : public ::testing::Test {
 protected:
  void SetUp() override {
    platform.modulePath = install.file(kProgramName);
    fs::create_directory(fs::u8path(install.file("tmp")));
    platform.environment["TEMP"] = install.file("tmp");
  }

  int run(Arguments& args) {
    std::FILE* console = std::fopen(install.file("console.txt").c_str(), "wb");
    int exitCode = runVornup(args.argc(), args.argv(), platform, console);
    std::fclose(console);
    consoleText = install.read("console.txt");
    return exitCode;
  }

  void installFwmatrix() { install.write("fwmatrix.txt", "KV7100 fw.all boot.prg\n"); }

  bool tempDirectoryLeft() { return !fs::is_empty(fs::u8path(install.file("tmp"))); }

  bool startsWith(const std::string& prefix) { return consoleText.rfind(prefix, 0) == 0; }
  bool endsWith(const std::string& suffix) {
    return consoleText.size() >= suffix.size() &&
           consoleText.compare(consoleText.size() - suffix.size(), suffix.size(), suffix) == 0;
  }

  ScratchDirectory install;
  FakePlatform platform;
  std::string consoleText;
};

TEST_F(MainFlow, EmptyCommandLineAndHelpShowTheUsageWith0) {
  const std::initializer_list<std::string> lines[] = {{}, {"/?"}, {"/help"}, {"/H"}, {"/q", "/?"}};
  for (const auto& line : lines) {
    Arguments args(line);
    EXPECT_EQ(run(args), 0);
    EXPECT_TRUE(startsWith(kUsageStart)) << consoleText;
    EXPECT_TRUE(endsWith(kUsageEnd + kClosingLines));
    EXPECT_TRUE(platform.commands.empty());
  }
}

TEST_F(MainFlow, NoRightsEndsWith2EvenWhenSilent) {
  platform.adminRights = false;
  Arguments args{"/s", "/q"};
  EXPECT_EQ(run(args), 2);
  EXPECT_EQ(consoleText, message("insufficient privileges", 2));
}

TEST_F(MainFlow, SwitchErrorShowsTheMessageThenTheUsageWith4) {
  Arguments args{"/query", "/bogus"};
  EXPECT_EQ(run(args), 4);
  std::string error = message("Unknown switch = /bogus", 4);
  EXPECT_EQ(consoleText.substr(0, error.size()), error);
  EXPECT_EQ(consoleText.substr(error.size(), kUsageStart.size()), kUsageStart);
  EXPECT_TRUE(endsWith(kUsageEnd + kClosingLines));
}

TEST_F(MainFlow, InvalidCombinationEndsWith2WithoutClosingLines) {
  installFwmatrix();
  Arguments args{"/auto", "/q"};
  EXPECT_EQ(run(args), 2);
  EXPECT_EQ(consoleText, "\nInvalid options: /auto requires an additional operational switch" +
                             message("invalid switch options", 2));
  EXPECT_FALSE(tempDirectoryLeft());
}

TEST_F(MainFlow, MissingFwmatrixEndsWith2) {
  Arguments args{"/q"};
  EXPECT_EQ(run(args), 2);
  EXPECT_EQ(consoleText, message("fwmatrix update table not found", 2) + kClosingLines);
  EXPECT_FALSE(tempDirectoryLeft());
}

TEST_F(MainFlow, FwmatrixThatIsNoPlainFileIsNotFound) {
  // A folder would read as an empty table on some systems, a FIFO (POSIX)
  // would wait for a writer for ever.
  fs::create_directory(fs::u8path(install.file("fwmatrix.txt")));
  Arguments args{"/q"};
  EXPECT_EQ(run(args), 2);
  EXPECT_EQ(consoleText, message("fwmatrix update table not found", 2) + kClosingLines);
  EXPECT_FALSE(tempDirectoryLeft());
}

TEST_F(MainFlow, ToolNotInstalledEndsWith4) {
  installFwmatrix();
  Arguments args{"/update"};
  EXPECT_EQ(run(args), 4);
  EXPECT_EQ(consoleText,
            message("Korvane command line application kit not installed", 4) + kClosingLines);
  EXPECT_FALSE(tempDirectoryLeft());
}

TEST_F(MainFlow, AutomaticModeNeedsNoFwmatrix) {
  fs::create_directory(fs::u8path(install.file("firmware")));
  fs::create_directory(fs::u8path(install.file("boot")));
  Arguments args{"/auto", "/update"};
  EXPECT_EQ(run(args), 4);
  EXPECT_EQ(consoleText,
            message("Korvane command line application kit not installed", 4) + kClosingLines);
}

TEST_F(MainFlow, AutomaticModeNeedsBothImageDirectories) {
  const struct {
    bool firmware;
    bool boot;
    const char* args[2];
    const char* reason;
  } cases[] = {
      {false, true, {"/auto", "/update"}, "the firmware subdirectory was not found"},
      {true, false, {"/auto", "/update"}, "the boot subdirectory was not found"},
      {false, false, {"/auto", "/fb"}, "the boot subdirectory was not found"},
  };
  for (const auto& k : cases) {
    fs::remove_all(fs::u8path(install.file("firmware")));
    fs::remove_all(fs::u8path(install.file("boot")));
    if (k.firmware) fs::create_directory(fs::u8path(install.file("firmware")));
    if (k.boot) fs::create_directory(fs::u8path(install.file("boot")));
    Arguments args{k.args[0], k.args[1]};
    EXPECT_EQ(run(args), 6) << k.reason;
    EXPECT_EQ(consoleText, message(k.reason, 6) + kClosingLines);
    EXPECT_FALSE(tempDirectoryLeft());
  }
}

// Runs with the current directory set to the install directory, where /xv
// puts dbg.log.
class MainFlowTraced : public MainFlow {
 protected:
  void SetUp() override {
    MainFlow::SetUp();
    previous = fs::current_path();
    fs::current_path(fs::u8path(install.path()));
  }
  void TearDown() override { fs::current_path(previous); }
  fs::path previous;
};

TEST_F(MainFlowTraced, TraceHoldsSwitchesPathsTempFileAndToolSearchInOrder) {
  installFwmatrix();
  platform.registry["SOFTWARE\\Korvane\\Drumlin\\DrumlinDir"] = install.path();
  Arguments args{"/xv", "/q"};
  run(args);
  std::string trace = install.readText("dbg.log");
  std::string bin = install.path();
  std::string tool = std::string("\"") + bin + "Drumlin" + kPathSeparator + kToolExecutable + "\"";
  std::size_t tempAt = trace.find("[Temp file]\n");
  ASSERT_NE(tempAt, std::string::npos) << trace;
  std::size_t tempEnd = trace.find('\n', tempAt + 12);
  std::string tempFile = trace.substr(tempAt + 12, tempEnd - tempAt - 12);
  EXPECT_EQ(tempFile.rfind(install.file("tmp") + kPathSeparator, 0), 0u) << tempFile;
  EXPECT_EQ(tempFile.substr(tempFile.size() - 9), std::string(1, kPathSeparator) + "temp.txt");

  std::string expected =
      "[Command line switches]\nauto      : 0\ndowngrade : 0\nforceFw   : 0\n"
      "forceBios : 0\npreview   : 0\nquery     : 1\nremote    : 0\nrewrite   : 0\n"
      "update    : 0\nverbose   : 0\n\n"
      "[Directory Paths]\nFirmware path = " +
      bin + "firmware" + kPathSeparator + "\nBootcode path = " + bin + "boot" + kPathSeparator +
      "\nBin      path = " + bin + "\nFwmatrix.txt  = " + bin +
      "fwmatrix.txt\nCLI util      = " + kToolFileName + "\n\n[Temp file]\n" + tempFile +
      "\n\n[locateWindowsTandrel]\n\n[locateWindowsTandrel]\nTandrelPath = " + tool + "\n";
  // The adapter stages trace on after the tool search.
  EXPECT_EQ(trace.substr(0, expected.size()), expected);
  EXPECT_FALSE(tempDirectoryLeft());
}

TEST_F(MainFlowTraced, TraceSwitchAloneShowsTheUsageWith4) {
  Arguments args{"/xv"};
  EXPECT_EQ(run(args), 4);
  EXPECT_TRUE(startsWith(kUsageStart));
  EXPECT_EQ(install.readText("dbg.log").rfind("[Command line switches]\n", 0), 0u);
}

TEST_F(MainFlowTraced, WithoutTheTraceSwitchNoDbgLogIsMade) {
  installFwmatrix();
  Arguments args{"/q"};
  run(args);
  EXPECT_FALSE(fs::exists(fs::u8path(install.file("dbg.log"))));
}

TEST_F(MainFlow, SilentRunsAppendEverythingToTheLog) {
  std::string log = install.file("run.log");
  Arguments usage{"/s", "/log=" + log, "/?"};
  EXPECT_EQ(run(usage), 0);
  EXPECT_EQ(consoleText, "");
  std::string firstRun = install.readText("run.log");
  EXPECT_EQ(firstRun.rfind(kUsageStart, 0), 0u);

  Arguments query{"/s", "/l=" + log, "/q"};
  EXPECT_EQ(run(query), 2);
  EXPECT_EQ(consoleText, "");
  EXPECT_EQ(install.readText("run.log"),
            firstRun + message("fwmatrix update table not found", 2) + kClosingLines);
}

TEST_F(MainFlow, LocatedToolLeadsToTheAdapterStages) {
  installFwmatrix();
  platform.registry["SOFTWARE\\Korvane\\Quenmar\\QuenmarDir"] = install.path();
  Arguments args{"/q"};
  run(args);
  EXPECT_EQ(consoleText.find("application kit not installed"), std::string::npos) << consoleText;
  EXPECT_FALSE(tempDirectoryLeft());
}

}  // namespace
}  // namespace vornup
