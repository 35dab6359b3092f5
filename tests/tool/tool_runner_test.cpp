// The host's tool runner with real processes: the simulator program as the
// tool, its delay and output-swapping knobs as the faults. Limits are short
// here (milliseconds, set in the run state); the switch that sets them in a
// run is tested with whole runs (tests/reliability/time_limits_test.cpp).
#include "tool/tool_runner.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/host_names.h"
#include "platform/interrupts.h"
#include "platform/platform.h"
#include "support/captured_run.h"
#include "tool/discovery.h"
#include "tool/tandrel.h"

namespace vornup {
namespace {

using std::chrono::milliseconds;

constexpr char kHost[] =
    "[port]\nwwn = 10:00:00:00:c9:7d:00:01\nflags = 80007e0d\nserial = kf1\nport-type = FC\n";

void setVariable(const char* name, const std::string& value) {
#ifdef _WIN32
  _putenv_s(name, value.c_str());
#else
  if (value.empty()) {
    unsetenv(name);
  } else {
    setenv(name, value.c_str(), 1);
  }
#endif
}

// A run on the host platform whose tool is the simulator, answering for a
// host file of the test's own; the knobs are the simulator's environment.
class HostRunner : public ::testing::Test {
 protected:
  void SetUp() override {
    run.programName = "vornup";
    run.out.console = std::fopen(scratch.file("console.txt").c_str(), "w+b");
    run.out.errors = std::fopen(scratch.file("errors.txt").c_str(), "w+b");
    std::string created;
    ASSERT_TRUE(hostPlatform().createPrivateDirectory(scratch.path(), created));
    run.tempDirectory.set(created.c_str());
    run.tempFilePath.format("%stemp.txt", created.c_str());
    run.toolPath.format("\"%s\"", TANDREL_SIM_PATH);
    useHost(kHost);
  }
  void TearDown() override {
    for (const char* name : {"TANDREL_SIM_HOST", "TANDREL_SIM_DELAY", "TANDREL_SIM_SWAP_OUTPUT"}) {
      setVariable(name, "");
    }
    std::fclose(run.out.console);
    std::fclose(run.out.errors);
    run.out.console = nullptr;
    run.out.errors = nullptr;
  }

  void useHost(const std::string& text) {
    scratch.write("host.txt", text);
    std::remove(scratch.file("host.txt.state").c_str());
    setVariable("TANDREL_SIM_HOST", scratch.file("host.txt"));
  }

  std::string read(std::FILE* file) {
    std::fflush(file);
    std::string text;
    std::rewind(file);
    char buffer[512];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
    return text;
  }
  std::string console() { return read(run.out.console); }
  std::string errors() { return read(run.out.errors); }
  bool replyFileLeft() const { return std::filesystem::exists(run.tempFilePath.c_str()); }

  ScratchDirectory scratch;
  RunState run{hostPlatform()};
};

// Collects the reply.
class Reply : public ToolOutput {
 public:
  bool line(const char* text) override {
    text_ += text;
    return true;
  }
  std::string text_;
};

struct RunnerCase {
  const char* description;
  const char* delay;  // TANDREL_SIM_DELAY
  const char* swap;   // TANDREL_SIM_SWAP_OUTPUT
  ToolCommand command;
  ToolRunEnd end;
  const char* replyHolds;  // a text the reply holds, or "" for an empty reply
};

TEST_F(HostRunner, EndsHungCommandsAtTheirLimitAndReadsOnlyRegularReplies) {
  // Wide enough for a slow start of the simulator (under Wine, say).
  run.toolTimeLimits.query = milliseconds(1000);
  run.toolTimeLimits.download = milliseconds(3000);
  const ToolCommand list{ToolCommandKind::query, "listhbas local"};
  const ToolCommand attributes{ToolCommandKind::query, "hbaattrib 10:00:00:00:c9:7d:00:01"};
  const ToolCommand download{ToolCommandKind::download,
                             "download 10:00:00:00:c9:7d:00:01 \"/nowhere/x.all\""};
  // clang-format off
  const RunnerCase cases[] = {
      {"a reply", "", "", list, ToolRunEnd::exited, "Port WWN"},
      {"a delay within the limit", "listhbas 50", "", list, ToolRunEnd::exited, "Port WWN"},
      {"a hung query", "listhbas 20000", "", list, ToolRunEnd::timedOut, ""},
      {"every command hung", "* 20000", "", attributes, ToolRunEnd::timedOut, ""},
      {"a hung download", "download 20000", "", download, ToolRunEnd::timedOut, ""},
      {"a download within its longer limit", "download 400", "", download, ToolRunEnd::exited,
       "Download failed"},
      {"reply swapped for a FIFO", "", "hbaattrib fifo", attributes, ToolRunEnd::replyUnreadable, ""},
      {"reply linked to /dev/zero", "", "hbaattrib zero", attributes, ToolRunEnd::replyUnreadable, ""},
      {"reply removed", "", "listhbas removed", list, ToolRunEnd::replyUnreadable, ""},
  };
  // clang-format on
  for (const RunnerCase& c : cases) {
    SCOPED_TRACE(c.description);
    if (*c.swap != '\0' && kPathSeparator == '\\') continue;  // POSIX knob
    setVariable("TANDREL_SIM_DELAY", c.delay);
    setVariable("TANDREL_SIM_SWAP_OUTPUT", c.swap);
    std::remove(scratch.file("host.txt.state").c_str());
    HostToolRunner runner(run);
    Reply reply;
    const ToolRunResult result = runner.run(c.command, reply);
    EXPECT_EQ(result.end, c.end);
    EXPECT_EQ(result.limit, c.command.kind == ToolCommandKind::download
                                ? run.toolTimeLimits.download
                                : run.toolTimeLimits.query);
    if (*c.replyHolds == '\0') {
      EXPECT_EQ(reply.text_, "");
    } else {
      EXPECT_NE(reply.text_.find(c.replyHolds), std::string::npos) << reply.text_;
    }
    EXPECT_FALSE(replyFileLeft());
  }
}

TEST_F(HostRunner, AHungStepFailsAsAToolFailureNamingTheCommandAndTheLimit) {
  run.toolTimeLimits.query = milliseconds(1000);
  setVariable("TANDREL_SIM_DELAY", "pcidata 20000");
  run.toolOutput.set("left over");
  EXPECT_EQ(executeTandrel(run, "pcidata 10:00:00:00:c9:7d:00:01").outcome,
            ToolStepOutcome::failed);
  EXPECT_TRUE(run.toolOutput.empty());
  EXPECT_EQ(console(), "");
  EXPECT_EQ(errors(),
            "vornup: the command \"pcidata 10:00:00:00:c9:7d:00:01\" did not end within its time "
            "limit of 1 second(s) and was ended\n");
  EXPECT_FALSE(replyFileLeft());
}

TEST_F(HostRunner, AHungAdapterListIsAToolFailureNotAnEmptyList) {
  run.toolTimeLimits.query = milliseconds(300);
  setVariable("TANDREL_SIM_DELAY", "listhbas 20000");
  EXPECT_EQ(discoverAdapters(run), DiscoveryOutcome::toolFailed);
  EXPECT_TRUE(run.adapterList.empty());
  EXPECT_NE(errors().find("\"listhbas local\" did not end within its time limit"),
            std::string::npos);
}

TEST_F(HostRunner, NoDownloadStartsOnceAnInterruptWasRequested) {
  if (kPathSeparator == '\\') GTEST_SKIP() << "requested here through a POSIX signal";
  HostToolRunner runner(run);
  Reply reply;
  const std::string marker = scratch.file("started");
  setVariable("TANDREL_SIM_LOG", marker);
  ASSERT_TRUE(installInterruptHandlers());
  std::raise(SIGINT);
  ASSERT_TRUE(interruptRequested());
  const ToolRunResult download =
      runner.run({ToolCommandKind::download, "download 10:00:00:00:c9:7d:00:01 \"/x.all\""}, reply);
  const ToolRunResult query = runner.run({ToolCommandKind::query, "listhbas local"}, reply);
  clearInterruptRequest();
  setVariable("TANDREL_SIM_LOG", "");
  EXPECT_EQ(download.end, ToolRunEnd::interrupted);
  EXPECT_EQ(query.end, ToolRunEnd::interrupted);
  EXPECT_FALSE(std::filesystem::exists(marker)) << "a command started";
}

// More ports than the count holds: the count stops at its largest value and
// the rest of the list is ignored, with a warning. The tool here is a script
// that prints a generated listing (the simulator would take minutes to
// describe that many ports).
TEST_F(HostRunner, TheListedPortCountSaturates) {
  if (kPathSeparator == '\\') GTEST_SKIP() << "the stand-in tool is a shell script";
  const unsigned ports = 65537;
  std::FILE* listing = std::fopen(scratch.file("listing.txt").c_str(), "wb");
  ASSERT_NE(listing, nullptr);
  std::fputs("Manageable HBA List\n\n", listing);
  for (unsigned i = 0; i < ports; ++i) {
    std::fprintf(listing,
                 "Port WWN     : 10:00:00:00:c9:%02x:%02x:%02x\nFlags        : 80007e0d\n"
                 "Serial No.   : KF%05u\nPort Type    : FC\n\n",
                 (i >> 16) & 0xFF, (i >> 8) & 0xFF, i & 0xFF, i);
  }
  std::fclose(listing);
  scratch.write("tool.sh", "#!/bin/sh\nexec cat '" + scratch.file("listing.txt") + "'\n");
  std::filesystem::permissions(scratch.file("tool.sh"), std::filesystem::perms::owner_all);
  run.toolPath.format("\"%s\"", scratch.file("tool.sh").c_str());

  EXPECT_EQ(discoverAdapters(run), DiscoveryOutcome::listed);
  EXPECT_EQ(run.counters.gHbaCount, 65535u);
  ASSERT_EQ(run.adapterList.size(), 65535u);
  EXPECT_STREQ(run.adapterList.back()->wwn.c_str(), "10:00:00:00:C9:00:FF:FE");
  EXPECT_STREQ(run.adapterList.back()->serialNumber.c_str(), "KF65534");
  EXPECT_EQ(errors(),
            "vornup: warning - the adapter list names more than 65535 ports; the rest of it is "
            "ignored\n");
  EXPECT_FALSE(replyFileLeft());
}

// The interpreter's statuses for a command it could not start (126 and 127
// of /bin/sh, 9009 of cmd.exe) make a failed step, never a reply.
TEST(NotStartedTool, TheInterpretersStatusesAreToolFailures) {
  for (int status : kCommandNotStartedStatuses) {
    SCOPED_TRACE(status);
    CapturedRun captured;
    captured.usePrivateTemp();
    captured.run.toolPath.set("\"/opt/korvane/Quenmar/Tandrel\"");
    captured.platform.onCommand = [status](const std::string& line) {
      FakePlatform::writeRedirectedOutput(line, "Port WWN : 10:00:00:00:c9:7d:00:01\n");
      return status;
    };
    EXPECT_EQ(discoverAdapters(captured.run), DiscoveryOutcome::toolFailed);
    EXPECT_TRUE(captured.run.adapterList.empty());
    EXPECT_EQ(executeTandrel(captured.run, "hbaattrib 10:00:00:00:c9:7d:00:01").outcome,
              ToolStepOutcome::failed);
    EXPECT_TRUE(captured.run.toolOutput.empty());
    EXPECT_NE(captured.errors().find("could not be started"), std::string::npos);
  }
}

TEST(ToolTimeLimits, QueriesGetTheSmallerOfFiveMinutesAndTheDownloadLimit) {
  using std::chrono::minutes;
  const struct {
    int timeout;
    minutes query;
    minutes download;
  } cases[] = {{1, minutes(1), minutes(1)},     {4, minutes(4), minutes(4)},
               {5, minutes(5), minutes(5)},     {6, minutes(5), minutes(6)},
               {60, minutes(5), minutes(60)},   {1440, minutes(5), minutes(1440)}};
  for (const auto& c : cases) {
    const ToolTimeLimits limits = toolTimeLimitsForMinutes(c.timeout);
    EXPECT_EQ(limits.query, c.query) << c.timeout;
    EXPECT_EQ(limits.download, c.download) << c.timeout;
  }
  const ToolTimeLimits defaults;
  EXPECT_EQ(defaults.query, minutes(5));
  EXPECT_EQ(defaults.download, minutes(60));
}

TEST(ToolCommandKind, OnlyTheDownloadCommandIsADownload) {
  EXPECT_EQ(toolCommandKind("download 10:00 \"a.all\""), ToolCommandKind::download);
  for (const char* query : {"listhbas local", "hbaattrib 10:00", "pcidata 10:00", "wakeup 10:00",
                            "enablebootcode 10:00 E", "downloads", "", "Download 10:00"}) {
    EXPECT_EQ(toolCommandKind(query), ToolCommandKind::query) << query;
  }
}

}  // namespace
}  // namespace vornup
