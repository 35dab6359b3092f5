// Time limits and unreadable replies in whole runs: /timeout= reaches every
// tool command (queries get the smaller of five minutes and it; downloads,
// and setting boot code back, never end on an interrupt), and a reply file that the tool swapped for a
// FIFO, a link to /dev/zero or nothing neither blocks the run nor is read
// without end: it is a tool failure.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "reliability_run.h"

namespace vornup {
namespace {

using std::chrono::milliseconds;
using std::chrono::minutes;

bool isDownload(const std::string& call) { return call.compare(0, 9, "download ") == 0; }

// Switching a port's boot code off again after reading it: the one query an
// interrupt does not end.
bool setsBootCodeBack(const std::string& call) {
  return call.compare(0, 15, "enablebootcode ") == 0 && call.size() > 2 &&
         call.compare(call.size() - 2, 2, " D") == 0;
}

TEST(TimeLimits, TheSwitchSetsTheLimitOfEveryCommand) {
  const struct {
    const char* timeout;  // the switch, or "" for none
    milliseconds query;
    milliseconds download;
  } cases[] = {
      {"", minutes(5), minutes(60)},
      {"/timeout=7", minutes(5), minutes(7)},
      {"/TIMEOUT=5", minutes(5), minutes(5)},
      {"/timeout=3", minutes(3), minutes(3)},
      {"/timeout=1", minutes(1), minutes(1)},
      {"/timeout=1440", minutes(5), minutes(1440)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.timeout);
    InProcessInstall install;
    std::vector<std::string> args = {"/update"};
    if (*c.timeout != '\0') args.push_back(c.timeout);
    const ObservedRun run = install.run(args);
    EXPECT_EQ(run.exitCode, 0) << run.console;
    ASSERT_EQ(run.limits.size(), run.calls.size());
    int downloads = 0;
    for (std::size_t i = 0; i < run.calls.size(); ++i) {
      SCOPED_TRACE(run.calls[i]);
      const bool download = isDownload(run.calls[i]);
      downloads += download ? 1 : 0;
      EXPECT_EQ(run.limits[i].timeLimit, download ? c.download : c.query);
      EXPECT_EQ(run.limits[i].endOnInterrupt, !download && !setsBootCodeBack(run.calls[i]));
    }
    EXPECT_GT(downloads, 0);
  }
}

TEST(TimeLimits, SwappedReplyFilesAreToolFailuresThatNeverBlock) {
  if (kWindowsHost) GTEST_SKIP() << "the simulator swaps its output file on POSIX only";
  const struct {
    const char* swap;
    int exitCode;
    const char* console;  // a line the console holds
  } cases[] = {
      {"listhbas fifo", 4, "error - unable to open temp file - Return Code=4"},
      {"listhbas zero", 4, "error - unable to open temp file - Return Code=4"},
      {"listhbas removed", 4, "error - unable to open temp file - Return Code=4"},
      // Every attribute reply lost: every query fails, each port says why.
      {"hbaattrib zero", 2, "the hbaattrib command failed (its reply is no regular file"},
      {"hbaattrib fifo", 2, "the hbaattrib command failed (its reply is no regular file"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.swap);
    ProcessInstall install;
    install.host.setEnvironment("TANDREL_SIM_SWAP_OUTPUT", c.swap);
    const ObservedRun run = install.run({"/q", "/v"});
    EXPECT_EQ(run.exitCode, c.exitCode) << run.console;
    EXPECT_NE(run.console.find(c.console), std::string::npos) << run.console;
    EXPECT_TRUE(run.tempDirectoryEmpty);
  }
}

}  // namespace
}  // namespace vornup
