// Runs that must not touch the host, or must not put a path on a command
// line: a host-wide lock held by another process, hostile characters in TEMP
// and in the program's own directory, the usage text without rights, and
// (POSIX) planted links and FIFOs where the log and the trace go.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/host_lock.h"
#include "reliability/reliability_run.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>

#include "reliability/launched_run.h"
#endif

namespace vornup {
namespace {

namespace fs = std::filesystem;

bool exists(const std::string& path) {
  std::error_code ignored;
  return fs::exists(fs::symlink_status(fs::u8path(path), ignored));
}

std::string statusLine(const std::string& text, int code) {
  return "\n" + std::string(kProgramName) + ": Error - " + text +
         " - Return Code=" + std::to_string(code) + "\n\n";
}

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// A lock held by another process (here the test itself): the run says so
// and ends at once, touching nothing; the usage text still shows.
TEST(HostLockHeld, RunEndsAtOnceAndTouchesNothing) {
  ProcessInstall install;
  const std::string work = install.host.workDirectory();
#ifndef _WIN32
  ASSERT_EQ(::setenv("VORNUP_REGISTRY_ROOT", install.host.registryRootPath().c_str(), 1), 0);
  ASSERT_EQ(::setenv("VORNUP_TEST_LOCK_DIRECTORY", install.host.lockDirectoryPath().c_str(), 1), 0);
#endif
  HostLock lock;
  ASSERT_EQ(lock.acquire(), HostLockResult::acquired) << HostLock::name();

  ObservedRun refused = install.run({"/f", "/log=" + work + "run.log", "/xv"});
  EXPECT_EQ(refused.exitCode, kHostBusyExitCode);
  EXPECT_EQ(refused.console, statusLine("another vornup run is in progress", kHostBusyExitCode));
  EXPECT_TRUE(refused.calls.empty() || (refused.calls.size() == 1 && refused.calls[0].empty()));
  EXPECT_FALSE(exists(work + "run.log"));
  EXPECT_FALSE(exists(work + "dbg.log"));
  EXPECT_TRUE(refused.tempDirectoryEmpty);

  ObservedRun usage = install.run({"/?"});
  EXPECT_EQ(usage.exitCode, 0);
  EXPECT_TRUE(contains(usage.console, "Korvane Firmware Update Utility")) << usage.console;

  lock.release();
  ObservedRun next = install.run({"/q"});
  EXPECT_EQ(next.exitCode, 0) << next.console;
#ifndef _WIN32
  ::unsetenv("VORNUP_REGISTRY_ROOT");
  ::unsetenv("VORNUP_TEST_LOCK_DIRECTORY");
#endif
}

#ifndef _WIN32
// A lock that can never be taken is a setup error (4) that names it, not a
// busy host (75): the run touches nothing.
TEST(HostLockUnusable, RunEndsWithASetupErrorNamingTheLock) {
  ProcessInstall install;
  const std::string work = install.host.workDirectory();
  const std::string inPlace = install.host.lockDirectoryPath();
  const std::string lockFile = inPlace + "/vornup-test.lock";
  install.host.writeWorkFile("target", "t");
  // Where the lock is looked for, and what is put at its path first.
  const std::pair<std::string, std::string> cases[] = {
      {work + "absent", "true"},
      {inPlace, "mkfifo"},
      {inPlace, "mkdir"},
      {inPlace, "ln -s '" + work + "target'"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.second);
    std::error_code ignored;
    fs::remove_all(fs::u8path(lockFile), ignored);
    ASSERT_EQ(std::system((c.second + " '" + lockFile + "'").c_str()), 0);
    install.host.setEnvironment("VORNUP_TEST_LOCK_DIRECTORY", c.first);
    ObservedRun run = install.run({"/f", "/log=" + work + "run.log"});
    EXPECT_EQ(run.exitCode, 4) << run.console;
    EXPECT_EQ(run.console,
              statusLine("unable to take the host-wide lock " + c.first + "/vornup-test.lock", 4));
    EXPECT_TRUE(run.calls.empty() || (run.calls.size() == 1 && run.calls[0].empty()));
    EXPECT_FALSE(exists(work + "run.log"));
  }
  EXPECT_EQ(install.host.readWorkFile("target"), "t");
}
#endif

struct HostileDirectory {
  const char* name;
  bool refusedOnPosix;
  bool refusedOnWindows;
  bool exists;  // made before the run (a Windows name cannot hold '"')
};

// A TEMP the command line rule refuses (or that does not exist) is never put
// on a command line: every tool step fails, standard error names it, no
// command runs and nothing is made in it.
TEST(HostileTemp, IsNeverOnACommandLine) {
  // clang-format off
  const HostileDirectory cases[] = {
      {"t $(touch marker)", true, false, true},
      {"t `touch marker`", true, false, true},
      {"t \" q", true, true, !kWindowsHost},
      {"t %VORNUP_NOT_SET% q", true, true, true},
      {"missing", true, true, false},
  };
  // clang-format on
  for (const HostileDirectory& c : cases) {
    const bool refused = kWindowsHost ? c.refusedOnWindows : c.refusedOnPosix;
    if (!refused || (kWindowsHost && !c.exists && std::string(c.name) != "missing")) continue;
    SCOPED_TRACE(c.name);
    ProcessInstall install;
    const std::string work = install.host.workDirectory();
    const std::string temp = work + c.name;
    if (c.exists) fs::create_directories(fs::u8path(temp));
    install.host.setEnvironment("TEMP", temp);
    ObservedRun run = install.run({"/f"});
    EXPECT_EQ(run.exitCode, 4) << run.console;
    EXPECT_TRUE(contains(run.console, "unable to process TANDREL")) << run.console;
    EXPECT_TRUE(contains(run.console, "temporary directory " + temp + " cannot be used"))
        << run.console;
    EXPECT_TRUE(run.calls.empty() || (run.calls.size() == 1 && run.calls[0].empty()));
    EXPECT_FALSE(exists(work + "marker"));
    if (c.exists) {
      std::error_code ignored;
      EXPECT_TRUE(fs::is_empty(fs::u8path(temp), ignored));
    }
  }
}

// A program directory the rule refuses stops the run before any tool
// command with exit 4; a '"' in it is never dropped (the run does not read
// the table of the directory without it).
TEST(HostileInstallDirectory, StopsTheRunBeforeAnyToolCommand) {
  // clang-format off
  const HostileDirectory cases[] = {
      {"i $(touch marker)", true, false, true},
      {"i `touch marker`", true, false, true},
      {"i\"q", true, true, true},
      {"i %VORNUP_NOT_SET% q", true, true, true},
  };
  // clang-format on
  for (const HostileDirectory& c : cases) {
    const bool refused = kWindowsHost ? c.refusedOnWindows : c.refusedOnPosix;
    if (!refused || (kWindowsHost && std::string(c.name).find('"') != std::string::npos)) continue;
    SCOPED_TRACE(c.name);
    ProcessInstall install;
    const std::string work = install.host.workDirectory();
    const std::string directory = work + c.name + kPathSeparator;
    fs::create_directories(fs::u8path(directory));
    std::error_code error;
    fs::copy_file(fs::u8path(install.host.programPath()),
                  fs::u8path(directory + kProgramName), error);
    ASSERT_FALSE(error) << error.message();
    fs::copy_file(fs::u8path(install.host.installPath("fwmatrix.txt")),
                  fs::u8path(directory + "fwmatrix.txt"), error);
    install.host.useProgramAt(directory + kProgramName);
    ObservedRun run = install.run({"/f"});
    EXPECT_EQ(run.exitCode, 4) << run.console;
    EXPECT_TRUE(contains(run.console, statusLine("unusable program directory", 4))) << run.console;
    EXPECT_TRUE(contains(run.console, "program directory " + directory)) << run.console;
    EXPECT_TRUE(run.calls.empty() || (run.calls.size() == 1 && run.calls[0].empty()));
    EXPECT_FALSE(exists(work + "marker"));
    EXPECT_TRUE(run.tempDirectoryEmpty);
  }
}

#ifndef _WIN32

// The usage text needs neither the lock nor the rights probe: it shows
// where the rights probe fails, and it leaves a new registry root as it was.
TEST(UsageWithoutRights, ShowsTheUsageAndTouchesNothing) {
  ProcessInstall install;
  const std::vector<std::vector<std::string>> usageLines = {{}, {"/?"}, {"/help"}, {"/H"}};
  for (const auto& args : usageLines) {
    fs::remove_all(fs::u8path(install.host.registryRootPath()));
    fs::create_directories(fs::u8path(install.host.registryRootPath()));
    RunResult run = install.host.run(args);
    EXPECT_EQ(run.exitCode, 0) << run.console;
    EXPECT_TRUE(contains(run.console, "Korvane Firmware Update Utility")) << run.console;
    std::error_code ignored;
    EXPECT_TRUE(fs::is_empty(fs::u8path(install.host.registryRootPath()), ignored));
  }
  install.host.denyRights();
  for (const auto& args : usageLines) {
    RunResult run = install.host.run(args);
    EXPECT_EQ(run.exitCode, 0) << run.console;
    EXPECT_TRUE(contains(run.console, "Korvane Firmware Update Utility")) << run.console;
  }
  RunResult query = install.host.run({"/q"});
  EXPECT_EQ(query.exitCode, 2);
  EXPECT_TRUE(contains(query.console, "insufficient privileges")) << query.console;
}

// A dbg.log link planted by another user is not followed (the trace is
// refused with its usual message); the running user's own link is.
TEST(PlantedTraceLink, OnlyTheUsersOwnLinkIsFollowed) {
  if (::geteuid() != 0) GTEST_SKIP() << "giving a link to another user needs root";
  struct LinkCase {
    uid_t owner;
    bool followed;
  };
  const LinkCase cases[] = {{4242, false}, {::geteuid(), true}};
  for (const LinkCase& c : cases) {
    SCOPED_TRACE(c.owner);
    ProcessInstall install;
    const std::string work = install.host.workDirectory();
    install.host.writeWorkFile("target.txt", "keep\n");
    ASSERT_EQ(::symlink((work + "target.txt").c_str(), (work + "dbg.log").c_str()), 0);
    ASSERT_EQ(::lchown((work + "dbg.log").c_str(), c.owner, c.owner), 0);
    ObservedRun run = install.run({"/q", "/xv"});
    EXPECT_EQ(run.exitCode, 0) << run.console;
    const std::string target = install.host.readWorkFile("target.txt");
    EXPECT_EQ(target != "keep\n", c.followed) << target;
    EXPECT_EQ(contains(run.console, "unable to open dbg.log!"), !c.followed) << run.console;
  }
}

// A FIFO as the log file or the trace never blocks the run: it is refused
// with the usual message and code.
TEST(FifoOutputs, NeverBlock) {
  struct FifoCase {
    std::vector<std::string> args;
    int exitCode;
    const char* message;
  };
  ProcessInstall install;
  const std::string work = install.host.workDirectory();
  ASSERT_EQ(::mkfifo((work + "fifo.log").c_str(), 0600), 0);
  ASSERT_EQ(::mkfifo((work + "dbg.log").c_str(), 0600), 0);
  const FifoCase cases[] = {
      {{"/q", "/log=" + work + "fifo.log"}, 4, "unable to open logfile"},
      {{"/q", "/xv"}, 0, "unable to open dbg.log!"},
  };
  for (const FifoCase& c : cases) {
    LaunchedRun run(install.host, c.args, "fifo");
    EXPECT_EQ(run.wait(std::chrono::seconds(20)), c.exitCode) << run.out();
    EXPECT_TRUE(contains(run.out(), c.message)) << run.out();
  }
}

#endif

}  // namespace
}  // namespace vornup
