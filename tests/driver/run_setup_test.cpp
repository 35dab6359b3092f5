#include "driver/run_setup.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/host_names.h"
#include "support/arguments.h"
#include "support/captured_run.h"
#include "support/host_registry.h"

namespace vornup {
namespace {

// Turns "/" in a test path into this build's separator.
std::string hostPath(std::string path) {
  for (char& c : path) {
    if (c == '/') c = kPathSeparator;
  }
  return path;
}

struct BinCase {
  const char* moduleFileName;
  const char* expected;
};

TEST(RecordBinDirectory, CutsTheProgramPathAfterItsLastSeparator) {
  const std::string longDirectory = "/" + std::string(218, 'd') + "/";  // 220 characters
  const BinCase cases[] = {
      {"/Tools/vornup.exe", "/Tools/"},
      // A quote is kept: dropping it would name another directory. Such a
      // directory is refused later (ProgramDirectory below).
      {"\"/Program Files/Korvane/vornup.exe\"", "\"/Program Files/Korvane/"},
      {"/x\"y/\"vornup", "/x\"y/"},
      {"/vornup.exe", "/"},
      {"", "./"},
      {"vornup.exe", "./"},
  };
  for (const BinCase& c : cases) {
    SCOPED_TRACE(c.moduleFileName);
    CapturedRun captured;
    captured.platform.modulePath = hostPath(c.moduleFileName);
    Arguments args{};
    recordBinDirectory(captured.run, args.argc(), args.argv());
    EXPECT_EQ(captured.run.binDirectory.c_str(), hostPath(c.expected));
  }

  CapturedRun fits;
  fits.platform.modulePath = hostPath(longDirectory + "vornup.exe");
  Arguments args{};
  recordBinDirectory(fits.run, args.argc(), args.argv());
  EXPECT_EQ(fits.run.binDirectory.c_str(), hostPath(longDirectory));

  // One character more does not fit, and a cut directory would be another one.
  CapturedRun tooLong;
  tooLong.platform.modulePath = hostPath("/e" + longDirectory + "vornup.exe");
  recordBinDirectory(tooLong.run, args.argc(), args.argv());
  EXPECT_EQ(tooLong.run.binDirectory.c_str(), hostPath("./"));
}

TEST(RecordBinDirectory, OverlongProgramArgumentMeansTheCurrentDirectory) {
  CapturedRun captured;
  captured.platform.modulePath = hostPath("/Tools/vornup.exe");
  std::string first(221, 'a');
  char* argv[] = {&first[0], nullptr};
  recordBinDirectory(captured.run, 1, argv);
  EXPECT_EQ(captured.run.binDirectory.c_str(), hostPath("./"));

  std::string fits(220, 'a');
  argv[0] = &fits[0];
  recordBinDirectory(captured.run, 1, argv);
  EXPECT_EQ(captured.run.binDirectory.c_str(), hostPath("/Tools/"));
}

TEST(InitRunState, SetsTheNamesAndClearsTheCounters) {
  CapturedRun captured;
  RunState& run = captured.run;
  run.counters.portCount = 3;
  run.counters.unsupportedCount = 1;
  run.counters.bootCapableCount = 2;
  initRunState(run);
  EXPECT_STREQ(run.programName, kProgramName);
  EXPECT_STREQ(run.toolFileName, kToolFileName);
  EXPECT_STREQ(run.programTitle, "vornupOnline");
  EXPECT_EQ(run.counters.portCount + run.counters.unsupportedCount +
                run.counters.bootCapableCount,
            0);
}

TEST(FormatVersionString, IsTheProductVersion) {
  CapturedRun captured;
  formatVersionString(captured.run);
  EXPECT_STREQ(captured.run.versionString.c_str(), "6.0.23.1");
}

TEST(CheckAdminRights, AsksThePlatform) {
  CapturedRun captured;
  captured.platform.adminRights = false;
  EXPECT_FALSE(checkAdminRights(captured.run));
  captured.platform.adminRights = true;
  EXPECT_TRUE(checkAdminRights(captured.run));
}

TEST(AsksOnlyForUsage, OnlyHelpSwitchesOrNothing) {
  struct UsageCase {
    std::vector<std::string> switches;
    bool usageOnly;
  };
  const UsageCase cases[] = {
      {{}, true},
      {{"/?"}, true},
      {{"/HELP"}, true},
      {{"/h", "/?"}, true},
      {{"/?", "/q"}, false},
      {{"/log=x.txt", "/?"}, false},
      {{"/xv"}, false},
      {{"?"}, false},
      {{"/he"}, false},
      {{"/helpx"}, false},
      {{"/"}, false},
  };
  for (const UsageCase& c : cases) {
    std::vector<std::string> texts = {"vornup"};
    texts.insert(texts.end(), c.switches.begin(), c.switches.end());
    std::vector<char*> argv;
    for (std::string& text : texts) argv.push_back(&text[0]);
    argv.push_back(nullptr);
    EXPECT_EQ(asksOnlyForUsage(static_cast<int>(texts.size()), argv.data()), c.usageOnly)
        << (c.switches.empty() ? std::string("(none)") : c.switches.front());
  }
}

TEST(ClaimHost, LockFirstThenRights) {
  struct ClaimCase {
    HostLockResult lock;
    bool rights;
    HostClaim claim;
    bool probed;
  };
  const ClaimCase cases[] = {
      {HostLockResult::acquired, true, HostClaim::claimed, true},
      {HostLockResult::acquired, false, HostClaim::noRights, true},
      {HostLockResult::heldByAnotherRun, true, HostClaim::anotherRun, false},
      // A second run never probes: it says "another run", rights or not.
      {HostLockResult::heldByAnotherRun, false, HostClaim::anotherRun, false},
      {HostLockResult::unavailable, false, HostClaim::noRights, true},
      {HostLockResult::unavailable, true, HostClaim::lockUnavailable, true},
  };
  for (const ClaimCase& c : cases) {
    CapturedRun captured;
    captured.platform.hostLock = c.lock;
    captured.platform.adminRights = c.rights;
    const int probesBefore = captured.platform.adminProbes;
    EXPECT_EQ(claimHost(captured.run), c.claim);
    EXPECT_EQ(captured.platform.adminProbes > probesBefore, c.probed);
    // The main flow reports the claim through the outcome table.
    EXPECT_EQ(captured.console(), "");
  }
}

TEST(ProgramDirectory, RefusedWhenItCannotStandOnACommandLine) {
  struct DirectoryCase {
    const char* directory;
    bool usable;
  };
  const DirectoryCase cases[] = {
      {"/opt/vornup/", true},
      {"/Program Files (x86)/Korvane/", true},
      {"/x\"y/", false},
      {"/x%PATH%y/", false},
      {"/a\tb/", false},
      {"/x$(touch marker)/", kWindowsHost},
      {"/x`id`/", kWindowsHost},
  };
  for (const DirectoryCase& c : cases) {
    SCOPED_TRACE(c.directory);
    CapturedRun captured;
    captured.run.binDirectory.set(c.directory);
    EXPECT_EQ(checkProgramDirectory(captured.run), c.usable);
    const std::string text = captured.errors();
    if (c.usable) {
      EXPECT_EQ(text, "");
      EXPECT_EQ(captured.console(), "");
    } else {
      EXPECT_NE(text.find(c.directory), std::string::npos) << text;
      // The status line comes from the outcome table.
      EXPECT_EQ(captured.console(), "");
    }
  }
}

}  // namespace
}  // namespace vornup
