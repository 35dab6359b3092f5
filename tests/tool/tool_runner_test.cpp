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

// With the allow rule out of the way (the runner does not apply it), text
// that a command interpreter would act on reaches the tool as it is, in the
// tool's path, the reply file's path and the arguments, and runs nothing.
TEST_F(HostRunner, InterpreterTextInEveryPathReachesTheToolAsItIs) {
  const std::string odd = "a $(touch pwned1) `touch pwned2` & touch pwned3 %PATH% ^(x)! \xC3\xA9";
  const std::string folder = scratch.file(odd) + kPathSeparator;
  // Narrow names, as the program's own (the ANSI code page on Windows).
  ASSERT_TRUE(std::filesystem::create_directory(std::filesystem::path(folder)));
  const std::string tool = folder + kToolExecutable;
  std::filesystem::copy_file(std::filesystem::path(TANDREL_SIM_PATH), std::filesystem::path(tool));
  std::string created;
  ASSERT_TRUE(hostPlatform().createPrivateDirectory(folder, created));
  run.toolPath.format("\"%s\"", tool.c_str());
  run.tempFilePath.format("%s%s.txt", created.c_str(), odd.c_str());
  const std::string log = scratch.file("calls.log");
  setVariable("TANDREL_SIM_LOG", log);
  const std::string image = folder + "fw " + odd + ".all";
  const std::string arguments = "download 10:00:00:00:c9:7d:00:01 \"" + image + "\"";
  HostToolRunner runner(run);
  Reply reply;
  const ToolRunResult result = runner.run({ToolCommandKind::download, arguments.c_str()}, reply);
  setVariable("TANDREL_SIM_LOG", "");
  EXPECT_EQ(result.end, ToolRunEnd::exited);
  EXPECT_NE(reply.text_.find("Download failed"), std::string::npos) << reply.text_;
  EXPECT_EQ(scratch.read("calls.log"), "download 10:00:00:00:c9:7d:00:01 " + image + "\n");
  for (const char* marker : {"pwned1", "pwned2", "pwned3"}) {
    EXPECT_FALSE(std::filesystem::exists(marker));
    EXPECT_FALSE(std::filesystem::exists(scratch.file(marker)));
  }
  EXPECT_FALSE(replyFileLeft());
  hostPlatform().removeDirectory(created);
}

// A tool that cannot be started fails its step with the path and the
// system's reason; nothing is left behind.
TEST_F(HostRunner, AToolThatCannotStartFailsItsStepNamingThePathAndTheReason) {
  scratch.write("plain", "not a program\n");
  std::filesystem::create_directory(scratch.file("folder"));
  struct Case {
    std::string path;
    bool posixOnly;  // executable rights
  };
  for (const Case& c : {Case{scratch.file("missing"), false}, Case{scratch.file("folder"), false},
                        Case{scratch.file("plain"), true}}) {
    SCOPED_TRACE(c.path);
    if (c.posixOnly && kPathSeparator == '\\') continue;
    run.toolPath.format("\"%s\"", c.path.c_str());
    const long before = static_cast<long>(errors().size());
    EXPECT_EQ(executeTandrel(run, "hbaattrib 10:00:00:00:c9:7d:00:01").outcome,
              ToolStepOutcome::failed);
    const std::string said = errors().substr(static_cast<std::size_t>(before));
    EXPECT_NE(said.find("could not be started for \"hbaattrib 10:00:00:00:c9:7d:00:01\": \"" +
                        c.path + "\": "),
              std::string::npos)
        << said;
    EXPECT_GT(said.size(), said.find("\": \"") + c.path.size() + 6) << "no reason given";
    EXPECT_FALSE(replyFileLeft());
  }
}

#ifndef _WIN32
// A child of the tool that started a session of its own is ended with the
// tool at the time limit. (Windows ends the tool's job, which holds every
// process the tool started.)
TEST_F(HostRunner, AToolChildThatLeftTheProcessGroupIsEndedAtTheLimit) {
  const std::string pidFile = scratch.file("escaped.pid");
  scratch.write("tool.sh", "#!/bin/sh\nsetsid sh -c 'echo $$ > \"" + pidFile + ".new\"; mv \"" +
                               pidFile + ".new\" \"" + pidFile +
                               "\"; exec sleep 7777' &\n"
                               "while [ ! -s \"" +
                               pidFile + "\" ]; do sleep 0.05; done\nsleep 7777\n");
  std::filesystem::permissions(scratch.file("tool.sh"), std::filesystem::perms::owner_all);
  run.toolPath.format("\"%s\"", scratch.file("tool.sh").c_str());
  run.toolTimeLimits.query = milliseconds(3000);
  HostToolRunner runner(run);
  Reply reply;
  EXPECT_EQ(runner.run({ToolCommandKind::query, "listhbas local"}, reply).end,
            ToolRunEnd::timedOut);
  const long escaped = std::atol(scratch.read("escaped.pid").c_str());
  ASSERT_GT(escaped, 0) << "the tool did not start its child in time";
  EXPECT_NE(::kill(static_cast<pid_t>(escaped), 0), 0) << "process " << escaped << " still runs";
  if (::kill(static_cast<pid_t>(escaped), 0) == 0) ::kill(static_cast<pid_t>(escaped), SIGKILL);
}
#endif

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
  EXPECT_EQ(run.counters.portCount, 65535u);
  ASSERT_EQ(run.adapterList.size(), 65535u);
  EXPECT_STREQ(run.adapterList.back()->wwn.c_str(), "10:00:00:00:C9:00:FF:FE");
  EXPECT_STREQ(run.adapterList.back()->serialNumber.c_str(), "KF65534");
  EXPECT_EQ(errors(),
            "vornup: warning - the adapter list names more than 65535 ports; the rest of it is "
            "ignored\n");
  EXPECT_FALSE(replyFileLeft());
}

// A tool that could not be started makes a failed step that names the path
// and the system's reason, never a reply; statuses such as 126, 127 and 9009
// (once a command interpreter's) are the tool's own and its reply counts.
TEST(NotStartedTool, OnlyAToolThatDidNotStartIsAFailure) {
  struct Case {
    const char* startError;
    int status;
    bool replied;
  };
  for (const Case& c : {Case{"No such file or directory", 0, false}, Case{"", 127, true},
                        Case{"", 126, true}, Case{"", 9009, true}}) {
    SCOPED_TRACE(c.status);
    CapturedRun captured;
    captured.usePrivateTemp();
    captured.run.toolPath.set("\"/opt/korvane/Quenmar/Tandrel\"");
    captured.platform.startError = c.startError;
    captured.platform.onCommand = [&captured, &c](const std::string&) {
      captured.platform.writeToolOutput("Port WWN : 10:00:00:00:c9:7d:00:01\n");
      return c.status;
    };
    EXPECT_EQ(discoverAdapters(captured.run) == DiscoveryOutcome::toolFailed, !c.replied);
    EXPECT_EQ(captured.run.adapterList.empty(), !c.replied);
    const ToolStep step = executeTandrel(captured.run, "hbaattrib 10:00:00:00:c9:7d:00:01");
    EXPECT_EQ(step.outcome, c.replied ? ToolStepOutcome::ran : ToolStepOutcome::failed);
    EXPECT_EQ(captured.run.toolOutput.empty(), !c.replied);
    const std::string named = "\"/opt/korvane/Quenmar/Tandrel\": " + std::string(c.startError);
    const std::string errors = captured.errors();
    EXPECT_EQ(errors.find("could not be started") != std::string::npos, !c.replied) << errors;
    EXPECT_EQ(errors.find(named) != std::string::npos, !c.replied) << errors;
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
