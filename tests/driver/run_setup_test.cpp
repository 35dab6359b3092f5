#include "driver/run_setup.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/host_names.h"
#include "support/arguments.h"
#include "support/captured_run.h"

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
      {"\"/Program Files/Korvane/vornup.exe\"", "/Program Files/Korvane/"},
      {"/x\"y/\"vornup", "/xy/"},
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
  run.counters.gHbaCount = 3;
  run.counters.unsupportedCount = 1;
  run.counters.bootCapableCount = 2;
  initRunState(run);
  EXPECT_STREQ(run.programName, kProgramName);
  EXPECT_STREQ(run.toolFileName, kToolFileName);
  EXPECT_STREQ(run.programTitle, "vornupOnline");
  EXPECT_EQ(run.counters.gHbaCount + run.counters.unsupportedCount +
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

}  // namespace
}  // namespace vornup
