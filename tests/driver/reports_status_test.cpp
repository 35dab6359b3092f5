#include "driver/reports_status.h"

#include <gtest/gtest.h>

#include <string>

#include "support/captured_run.h"

namespace vornup {
namespace {

struct OperationCase {
  uint16_t downloads, errors, unsupported;
  int code;
  const char* line;
};

TEST(OperationStatus, DownloadCountRulesInOrder) {
  const OperationCase cases[] = {
      {2, 2, 0, 2, "\n\nvornup.exe: Error - all required updates failed - Return Code=2\n\n"},
      {2, 2, 1, 13, "\n\nvornup.exe: Error - all required updates failed - Return Code=13\n\n"},
      {3, 1, 0, 3, "\n\nvornup.exe: Error - some required updates failed - Return Code=3\n\n"},
      {3, 1, 2, 14, "\n\nvornup.exe: Error - some required updates failed - Return Code=14\n\n"},
      {3, 0, 0, 0, "\n\nvornup.exe: All required updates succeeded - Return Code=0\n\n"},
      {3, 0, 1, 11, "\n\nvornup.exe: All required updates succeeded - Return Code=11\n\n"},
      {0, 0, 0, 1, "\n\nvornup.exe: No updates required - Return Code=1\n\n"},
      {0, 0, 1, 12, "\n\nvornup.exe: No updates required - Return Code=12\n\n"},
      // More failures than downloads: nothing was attempted comes first...
      {0, 1, 0, 1, "\n\nvornup.exe: No updates required - Return Code=1\n\n"},
      // ...otherwise the status is unknown, always with 0.
      {1, 2, 0, 0, "\nvornup.exe: Unknown status - updates - Return Code=0\n\n"},
      {1, 2, 1, 0, "\nvornup.exe: Unknown status - updates - Return Code=0\n\n"},
  };
  for (const OperationCase& c : cases) {
    CapturedRun r;
    r.run.sw.update = true;
    r.run.counters.portCount = 3;
    r.run.counters.knownPortCount = 2;
    r.run.counters.compatibleImageCount = 1;
    r.run.counters.downloadCount = c.downloads;
    r.run.counters.downloadErrorCount = c.errors;
    r.run.counters.unsupportedCount = c.unsupported;
    EXPECT_EQ(operationStatus(r.run), c.code) << c.line;
    EXPECT_EQ(r.console(), c.line);
  }
}

TEST(OperationStatus, NounByTheFirstSwitchThatHolds) {
  const struct {
    int update, rewrite, downgrade, forceFw, forceBootCode;
    const char* noun;
  } cases[] = {
      {1, 1, 1, 1, 1, "updates"},
      {0, 1, 1, 1, 1, "rewrites"},
      {0, 0, 1, 1, 1, "downgrades"},
      {0, 0, 0, 1, 1, "firmware and/or boot code downloads"},
      {0, 0, 0, 1, 0, "firmware downloads"},
      {0, 0, 0, 0, 1, "boot code downloads"},
  };
  for (const auto& c : cases) {
    CapturedRun r;
    r.run.sw.update = c.update;
    r.run.sw.rewrite = c.rewrite;
    r.run.sw.downgrade = c.downgrade;
    r.run.sw.forceFw = c.forceFw;
    r.run.sw.forceBootCode = c.forceBootCode;
    r.run.counters.knownPortCount = 1;
    r.run.counters.compatibleImageCount = 1;
    r.run.counters.downloadCount = 1;
    EXPECT_EQ(operationStatus(r.run), 0);
    EXPECT_EQ(r.console(), std::string("\n\nvornup.exe: All required ") + c.noun +
                               " succeeded - Return Code=0\n\n");
  }
}

constexpr char kNoSupported5[] =
    "\n\nvornup.exe: Error - no supported Korvane HBAs found - Return Code=5\n\n";
constexpr char kNoSupported15[] =
    "\n\nvornup.exe: Error - no supported Korvane HBAs found - Return Code=15\n\n";

TEST(OperationStatus, NoKnownAdapterOrNoImage) {
  const struct {
    uint16_t known, compatible, hbas, unsupported, bootCapable;
    int forceFw, forceBootCode, update;
    int code;
    const char* line;
  } cases[] = {
      // No known adapter, whatever else was counted.
      {0, 4, 3, 0, 1, 0, 0, 1, 5, kNoSupported5},
      {0, 0, 3, 3, 1, 0, 0, 1, 5, kNoSupported5},
      // Every adapter unsupported.
      {2, 0, 3, 3, 1, 0, 0, 1, 15, kNoSupported15},
      // Known adapters, no compatible image: by force switches and boot-capable adapters.
      {2, 0, 3, 0, 0, 1, 1, 0, 7,
       "\n\nvornup.exe: No compatible firmware found - Return Code=7\n\n"},
      {2, 0, 3, 0, 1, 1, 1, 0, 7,
       "\n\nvornup.exe: No compatible firmware or boot code found - Return Code=7\n\n"},
      {2, 0, 3, 0, 0, 1, 0, 0, 7,
       "\n\nvornup.exe: No compatible firmware found - Return Code=7\n\n"},
      {2, 0, 3, 0, 1, 1, 0, 0, 7,
       "\n\nvornup.exe: No compatible firmware found - Return Code=7\n\n"},
      {2, 0, 3, 0, 0, 0, 1, 0, 7,
       "\n\nvornup.exe: Installed adapters do not support boot code downloads - Return "
       "Code=7\n\n"},
      {2, 0, 3, 0, 1, 0, 1, 0, 7,
       "\n\nvornup.exe: No compatible boot code found - Return Code=7\n\n"},
      {2, 0, 3, 0, 0, 0, 0, 1, 7,
       "\n\nvornup.exe: No compatible firmware found - Return Code=7\n\n"},
      {2, 0, 3, 0, 1, 0, 0, 1, 7,
       "\n\nvornup.exe: No compatible firmware and/or boot code found - Return Code=7\n\n"},
      // The same with an unsupported adapter present.
      {2, 0, 3, 1, 1, 0, 0, 1, 16,
       "\n\nvornup.exe: No compatible firmware and/or boot code found - Return Code=16\n\n"},
      {2, 0, 3, 1, 0, 0, 1, 0, 16,
       "\n\nvornup.exe: Installed adapters do not support boot code downloads - Return "
       "Code=16\n\n"},
  };
  for (const auto& c : cases) {
    CapturedRun r;
    r.run.sw.forceFw = c.forceFw;
    r.run.sw.forceBootCode = c.forceBootCode;
    r.run.sw.update = c.update;
    r.run.counters.knownPortCount = c.known;
    r.run.counters.compatibleImageCount = c.compatible;
    r.run.counters.portCount = c.hbas;
    r.run.counters.unsupportedCount = c.unsupported;
    r.run.counters.bootCapableCount = c.bootCapable;
    r.run.counters.downloadCount = 2;
    EXPECT_EQ(operationStatus(r.run), c.code) << c.line;
    EXPECT_EQ(r.console(), c.line);
  }
}

TEST(QueryStatus, QueryCountRulesInOrder) {
  const struct {
    uint16_t queries, errors, unsupported;
    int code;
    const char* line;
  } cases[] = {
      {1, 1, 0, 2, "\n\nvornup.exe: Error - all required queries failed - Return Code=2\n\n"},
      {2, 2, 1, 13, "\n\nvornup.exe: Error - all required queries failed - Return Code=13\n\n"},
      {3, 1, 0, 3, "\n\nvornup.exe: Error - some required queries failed - Return Code=3\n\n"},
      {3, 1, 1, 14, "\n\nvornup.exe: Error - some required queries failed - Return Code=14\n\n"},
      {3, 0, 0, 0, "\n\nvornup.exe: All required queries succeeded - Return Code=0\n\n"},
      {3, 0, 2, 11, "\n\nvornup.exe: All required queries succeeded - Return Code=11\n\n"},
      {0, 0, 0, 0, "\nvornup.exe: Unknown status - query - Return Code=0\n\n"},
      {0, 0, 1, 11, "\nvornup.exe: Unknown status - query - Return Code=11\n\n"},
      {1, 2, 0, 0, "\nvornup.exe: Unknown status - queries - Return Code=0\n\n"},
      {1, 2, 1, 11, "\nvornup.exe: Unknown status - queries - Return Code=11\n\n"},
  };
  for (const auto& c : cases) {
    CapturedRun r;
    r.run.sw.query = true;
    r.run.counters.queryCount = c.queries;
    r.run.counters.queryErrorCount = c.errors;
    r.run.counters.unsupportedCount = c.unsupported;
    EXPECT_EQ(queryStatus(r.run), c.code) << c.line;
    EXPECT_EQ(r.console(), c.line);
  }
}

TEST(QueryStatus, SilentRunStillLogsTheLine) {
  CapturedRun r;
  r.run.out.silent = true;
  r.run.out.logFile = std::fopen(r.scratch.file("log.txt").c_str(), "wb");
  ASSERT_NE(r.run.out.logFile, nullptr);
  r.run.counters.queryCount = 2;
  EXPECT_EQ(queryStatus(r.run), 0);
  r.run.out.closeLog();
  EXPECT_EQ(r.console(), "");
  EXPECT_EQ(r.scratch.read("log.txt"),
            "\n\nvornup.exe: All required queries succeeded - Return Code=0\n\n");
}

TEST(RebootNotice, SignedArithmetic) {
  const struct {
    int preview;
    uint16_t downloads, errors, noReboot;
    bool notice;
  } cases[] = {
      {0, 1, 0, 0, true},         {1, 1, 0, 0, false},  // never in preview
      {0, 0, 0, 0, false},        {0, 1, 1, 0, false},  // as many failures as downloads
      {0, 1, 2, 0, false},                              // more failures than downloads
      {0, 1, 0, 1, false},                              // the tool asked for no reboot
      {0, 3, 1, 1, true},         {0, 3, 1, 2, false},
      {0, 3, 2, 5, false},  // outweighed: the difference goes below zero
      {0, 65535, 0, 65534, true},
  };
  for (const auto& c : cases) {
    CapturedRun r;
    r.run.sw.preview = c.preview;
    r.run.counters.cnaFwDownloadCount = c.downloads;
    r.run.counters.cnaFwErrorCount = c.errors;
    r.run.counters.cnaNoRebootCount = c.noReboot;
    rebootNotice(r.run);
    EXPECT_EQ(r.console(), c.notice ? "Please reboot system to activate new firmware.\n" : "")
        << c.downloads << " " << c.errors << " " << c.noReboot;
  }
}

}  // namespace
}  // namespace vornup
