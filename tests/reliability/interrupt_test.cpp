// Interrupted, killed and side-by-side runs (POSIX): the installed program
// and the tool simulator as real processes, signals sent to the program's
// process group while a simulated command is slow (TANDREL_SIM_DELAY), and
// the simulator's command log showing which commands ran.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "e2e/report_check.h"
#include "reliability/launched_run.h"
#include "reliability/reliability_run.h"

namespace vornup {
namespace {

constexpr char kFirstPortDownload[] = "download 10:00:00:00:C9:7D:00:01 ";
// The port with disabled boot code, as the program names it on command lines
// and the simulator's state file.
constexpr char kDisabledPort[] = "10:00:00:00:C9:54:00:01";

std::string interruptedLine(int code) {
  return "\n\nvornup: Error - run interrupted - Return Code=" + std::to_string(code) + "\n\n";
}

bool endsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::size_t countStarting(const std::vector<std::string>& calls, const std::string& prefix) {
  std::size_t count = 0;
  for (const std::string& call : calls) count += call.compare(0, prefix.size(), prefix) == 0;
  return count;
}

std::vector<std::string> toolCalls(const ProcessInstall& install, const std::string& name) {
  std::vector<std::string> calls =
      ProcessInstall::lines(ScratchDirectory::readFile(install.host.workDirectory() + name));
  if (!calls.empty() && calls.back().empty()) calls.pop_back();
  return calls;
}

std::string simulatorState(const ProcessInstall& install) {
  return ScratchDirectory::readFile(install.host.installPath("Quenmar/host.txt.state"));
}

// The state file's section of one port ("[port <address>]" up to the next
// section).
std::string portState(const std::string& state, const std::string& address) {
  const std::size_t start = state.find("[port " + address + "]");
  if (start == std::string::npos) return "";
  const std::size_t end = state.find("\n[", start + 1);
  return state.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

// The private directories in the host's temporary directory, and the files
// in them.
std::vector<std::filesystem::path> privateDirectories(const ProcessInstall& install) {
  std::vector<std::filesystem::path> found;
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(
           std::filesystem::u8path(install.host.tempDirectory()), ignored)) {
    found.push_back(entry.path());
  }
  return found;
}

std::vector<std::string> privateFiles(const ProcessInstall& install) {
  std::vector<std::string> names;
  std::error_code ignored;
  for (const auto& directory : privateDirectories(install)) {
    for (const auto& file : std::filesystem::directory_iterator(directory, ignored)) {
      names.push_back(file.path().filename().u8string());
    }
  }
  return names;
}

struct SignalCase {
  int signalNumber;
  int exitCode;
};

class InterruptedDownload : public ::testing::TestWithParam<SignalCase> {};

// A signal while a download runs: that download runs to its end, nothing
// else starts, the log holds every line, the temporary directory is gone,
// and the run says it was interrupted.
TEST_P(InterruptedDownload, FinishesTheRunningDownloadAndStartsNothingElse) {
  const SignalCase c = GetParam();
  ProcessInstall install;
  const std::string work = install.host.workDirectory();
  LaunchedRun run(install.host, {"/f", "/log=" + work + "run.log"}, "run",
                  {{"TANDREL_SIM_DELAY", "download 1500"}});
  ASSERT_TRUE(waitForLine(work + "tool.log", "download ")) << run.err();
  run.signalGroup(c.signalNumber);
  EXPECT_EQ(run.wait(), c.exitCode) << run.out() << run.err();

  const std::vector<std::string> calls = toolCalls(install, "tool.log");
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(countStarting(calls, "download "), 1u);
  EXPECT_EQ(calls.back().compare(0, sizeof kFirstPortDownload - 1, kFirstPortDownload), 0)
      << calls.back();
  // The download was not cut off: the port runs the new firmware.
  EXPECT_NE(portState(simulatorState(install), "10:00:00:00:c9:7d:00:01").find("2.90A1"),
            std::string::npos)
      << simulatorState(install);
  const std::string console = run.out();
  EXPECT_NE(console.find("Status=Success"), std::string::npos) << console;
  EXPECT_TRUE(endsWith(console, interruptedLine(c.exitCode) + "\n\n")) << console;
  EXPECT_EQ(withoutErrorLines(ScratchDirectory::readFile(work + "run.log"), run.err()), console);
  EXPECT_TRUE(install.host.tempDirectoryIsEmpty());
}

INSTANTIATE_TEST_SUITE_P(Signals, InterruptedDownload,
                         ::testing::Values(SignalCase{SIGINT, 130}, SignalCase{SIGTERM, 143},
                                           SignalCase{SIGHUP, 129}));

// Boot code that the run switched on to read its version is switched off
// again by the one command that still runs after an interrupt.
TEST(InterruptedRun, SetsBootCodeBackAndStartsNothingElse) {
  ProcessInstall install;
  const std::string work = install.host.workDirectory();
  LaunchedRun run(install.host, {"/f", "/log=" + work + "run.log"}, "run",
                  {{"TANDREL_SIM_DELAY", "wakeup 1500"}});
  ASSERT_TRUE(waitForLine(work + "tool.log", std::string("wakeup ") + kDisabledPort));
  run.signalGroup(SIGINT);
  EXPECT_EQ(run.wait(), 130) << run.out() << run.err();

  const std::vector<std::string> calls = toolCalls(install, "tool.log");
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.back(), std::string("enablebootcode ") + kDisabledPort + " D");
  EXPECT_EQ(countStarting(calls, "download "), 0u);
  EXPECT_EQ(countStarting(calls, "hbaattrib "), 3u) << "no adapter after the interrupted one";
  EXPECT_NE(portState(simulatorState(install), "10:00:00:00:c9:54:00:01").find("boot-code = Disabled"),
            std::string::npos)
      << simulatorState(install);
  EXPECT_TRUE(endsWith(run.out(), interruptedLine(130) + "\n\n")) << run.out();
  EXPECT_EQ(withoutErrorLines(ScratchDirectory::readFile(work + "run.log"), run.err()), run.out());
  EXPECT_TRUE(install.host.tempDirectoryIsEmpty());
}

// A signal that leaves a download untried: its report outcome and standard
// error say so; a converged download that asked for a reboot before the
// signal is followed by the reboot notice, as at the end of any run.
TEST(InterruptedRun, ReportsUntriedDownloadsAndAReboot) {
  const struct {
    const char* operation;
    const char* download;     // the download during which the signal comes
    std::size_t port;         // the report's port of the untried download
    const char* untried;      // its image kind; null: none is untried
    bool rebootNotice;
  } cases[] = {
      {"/f", "download 10:00:00:00:C9:7D:00:01 ", 0, "boot_code", false},
      {"/ff", "download 10:00:00:10:9B:6C:00:01 ", 0, nullptr, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.download);
    ProcessInstall install;
    const std::string work = install.host.workDirectory();
    const std::vector<std::string> args = {c.operation, "/log=" + work + "run.log",
                                           "/json=" + work + "run.json"};
    LaunchedRun run(install.host, args, "run", {{"TANDREL_SIM_DELAY", "download 700"}});
    ASSERT_TRUE(waitForLine(work + "tool.log", c.download)) << run.err();
    run.signalGroup(SIGINT);
    const int exitCode = run.wait();
    EXPECT_EQ(exitCode, 130) << run.out() << run.err();
    const std::string notice = "Please reboot system to activate new firmware.\n";
    EXPECT_EQ(run.out().find(notice) != std::string::npos, c.rebootNotice) << run.out();
    EXPECT_EQ(ScratchDirectory::readFile(work + "run.log").find(notice) != std::string::npos,
              c.rebootNotice);
    const nlohmann::json report =
        reportcheck::parsed(ScratchDirectory::readFile(work + "run.json"));
    ASSERT_TRUE(report.is_object());
    EXPECT_EQ(report["reboot_required"], c.rebootNotice);
    if (c.untried != nullptr) {
      const nlohmann::json& image = report["ports"][c.port]["images"][c.untried];
      EXPECT_EQ(image["outcome"], "not_attempted") << image.dump();
      EXPECT_EQ(image["reason"], "not attempted: the run was interrupted");
      EXPECT_NE(run.err().find("was not attempted: the run was interrupted"), std::string::npos)
          << run.err();
    }
  }
}

// A reader that goes away (`| head -c1`): the next write fails, the run
// ends as interrupted by SIGPIPE, and the log still gets everything.
TEST(InterruptedRun, ClosedStandardOutputEndsTheRun) {
  ProcessInstall install;
  const std::string work = install.host.workDirectory();
  int pipeEnds[2];
  ASSERT_EQ(::pipe2(pipeEnds, O_CLOEXEC), 0);
  LaunchedRun run(install.host, {"/f", "/v", "/log=" + work + "run.log"}, "run",
                  {{"TANDREL_SIM_DELAY", "* 100"}}, pipeEnds[1]);
  ::close(pipeEnds[1]);
  char first = 0;
  EXPECT_EQ(::read(pipeEnds[0], &first, 1), 1);
  ::close(pipeEnds[0]);
  EXPECT_EQ(run.wait(), 141) << run.err();

  EXPECT_LE(countStarting(toolCalls(install, "tool.log"), "download "), 1u);
  const std::string log = ScratchDirectory::readFile(work + "run.log");
  EXPECT_TRUE(endsWith(log, interruptedLine(141) + "\n\n")) << log;
  EXPECT_TRUE(install.host.tempDirectoryIsEmpty());
}

// Two runs started together: one runs, the other ends at once with 75 and
// touches nothing (no tool call, no log file, no trace).
TEST(SideBySideRuns, SecondRunEndsAt75AndTouchesNothing) {
  ProcessInstall install;
  const std::string work = install.host.workDirectory();
  LaunchedRun first(install.host, {"/f", "/log=" + work + "first.log"}, "first",
                    {{"TANDREL_SIM_DELAY", "listhbas 1000"}, {"TANDREL_SIM_LOG", work + "first.calls"}});
  LaunchedRun second(install.host, {"/f", "/log=" + work + "second.log"}, "second",
                     {{"TANDREL_SIM_DELAY", "listhbas 1000"}, {"TANDREL_SIM_LOG", work + "second.calls"}});
  const int firstCode = first.wait();
  const int secondCode = second.wait();
  ASSERT_TRUE((firstCode == 0 && secondCode == 75) || (firstCode == 75 && secondCode == 0))
      << firstCode << " " << secondCode << first.err() << second.err();
  const std::string refused = firstCode == 75 ? "first" : "second";
  const std::string ran = firstCode == 75 ? "second" : "first";
  const LaunchedRun& refusedRun = firstCode == 75 ? first : second;
  EXPECT_EQ(refusedRun.err(), "\nvornup: Error - another vornup run is in progress - Return Code=75\n\n");
  EXPECT_EQ(refusedRun.out(), "");
  struct stat info;
  EXPECT_NE(::stat((work + refused + ".calls").c_str(), &info), 0) << "the refused run called the tool";
  EXPECT_NE(::stat((work + refused + ".log").c_str(), &info), 0) << "the refused run opened its log";
  EXPECT_EQ(countStarting(toolCalls(install, ran + ".calls"), "download "), 6u);
  EXPECT_TRUE(install.host.tempDirectoryIsEmpty());
}

// A run killed outright leaves its private directory; the next run removes it.
TEST(KilledRun, NextRunRemovesTheStalePrivateDirectory) {
  ProcessInstall install;
  const std::string work = install.host.workDirectory();
  {
    LaunchedRun killed(install.host, {"/q"}, "killed", {{"TANDREL_SIM_DELAY", "listhbas 800"}});
    ASSERT_TRUE(waitForLine(work + "tool.log", "listhbas"));
    killed.signalGroup(SIGKILL);
    EXPECT_EQ(killed.wait(), 128 + SIGKILL);
  }
  EXPECT_FALSE(install.host.tempDirectoryIsEmpty());
  // The tool in its own group finishes its call undisturbed.
  std::this_thread::sleep_for(std::chrono::milliseconds(1200));
  ObservedRun next = install.run({"/q"});
  EXPECT_EQ(next.exitCode, 0) << next.console;
  EXPECT_TRUE(install.host.tempDirectoryIsEmpty());
}

// A run killed outright during a download leaves the tool running. Until it
// ends, a retry touches nothing, says which process holds the host, and
// leaves the first run's private copy alone; then the next run goes ahead.
TEST(KilledRun, ItsRunningDownloadHoldsTheHostUntilItEnds) {
  ProcessInstall install;
  const std::string work = install.host.workDirectory();
  {
    LaunchedRun killed(install.host, {"/f"}, "killed", {{"TANDREL_SIM_DELAY", "download 2500"}});
    ASSERT_TRUE(waitForLine(work + "tool.log", "download "));
    killed.signalGroup(SIGKILL);
    EXPECT_EQ(killed.wait(), 128 + SIGKILL);
  }
  const std::vector<std::string> copies = privateFiles(install);
  ASSERT_GE(copies.size(), 2u) << "the reply file and the image copy";
  ObservedRun retry = install.run({"/f"});
  EXPECT_EQ(retry.exitCode, 75) << retry.console;
  EXPECT_NE(retry.console.find("earlier run (process group "), std::string::npos) << retry.console;
  EXPECT_TRUE(retry.calls.empty() || (retry.calls.size() == 1 && retry.calls[0].empty()));
  EXPECT_EQ(privateFiles(install), copies);

  // Once the tool has ended, the host is free again.
  ObservedRun next;
  for (int attempt = 0; attempt < 40 && (attempt == 0 || next.exitCode == 75); ++attempt) {
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    next = install.run({"/f"});
  }
  EXPECT_EQ(next.exitCode, 0) << next.console;
  EXPECT_TRUE(install.host.tempDirectoryIsEmpty());
}

// Other spellings of one registry root (a trailing "/.", a link to it) take
// the same host lock: the second run ends at once while the first flashes.
TEST(SideBySideRuns, SpellingsOfOneRegistryRootShareTheLock) {
  ProcessInstall install;
  const std::string work = install.host.workDirectory();
  const std::string root = install.host.registryRootPath();
  ASSERT_EQ(::symlink(root.c_str(), (work + "registry link").c_str()), 0);
  LaunchedRun first(install.host, {"/f"}, "first", {{"TANDREL_SIM_DELAY", "download 1500"}});
  ASSERT_TRUE(waitForLine(work + "tool.log", "download "));
  for (const std::string& spelling : {root + "/.", work + "registry link"}) {
    SCOPED_TRACE(spelling);
    LaunchedRun second(
        install.host, {"/f"}, "second",
        {{"VORNUP_REGISTRY_ROOT", spelling}, {"TANDREL_SIM_LOG", work + "second.calls"}});
    EXPECT_EQ(second.wait(), 75) << second.err();
    struct stat info;
    EXPECT_NE(::stat((work + "second.calls").c_str(), &info), 0)
        << "the second run called the tool";
  }
  EXPECT_EQ(first.wait(), 0) << first.err();
}

// Whatever the tool leaves in the private directory goes with it at the end.
TEST(FinishedRun, RemovesWhatTheToolLeftInItsPrivateDirectory) {
  ProcessInstall install;
  const std::string work = install.host.workDirectory();
  LaunchedRun run(install.host, {"/q"}, "run", {{"TANDREL_SIM_DELAY", "listhbas 800"}});
  ASSERT_TRUE(waitForLine(work + "tool.log", "listhbas"));
  for (const auto& directory : privateDirectories(install)) {
    std::FILE* extra = std::fopen((directory / "tool.trace").c_str(), "wb");
    ASSERT_NE(extra, nullptr);
    std::fclose(extra);
  }
  EXPECT_EQ(run.wait(), 0) << run.err();
  EXPECT_TRUE(install.host.tempDirectoryIsEmpty());
}

}  // namespace
}  // namespace vornup
