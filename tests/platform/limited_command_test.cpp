// Commands run with a time limit in a process group (and on Windows a job) of
// their own: exit statuses pass through, a command past its limit is ended
// with every process it started, and an interrupt ends only the commands
// that may be ended.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "platform/command.h"
#include "platform/platform.h"
#include "platform_test_files.h"

namespace vornup {
namespace {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

CommandLimits limitOf(milliseconds limit, bool endOnInterrupt = false) {
  CommandLimits limits;
  limits.timeLimit = limit;
  limits.endOnInterrupt = endOnInterrupt;
  return limits;
}

TEST(LimitedCommand, ExitStatusesPassThrough) {
  TestDirectory scratch;
  ASSERT_TRUE(scratch.write("not executable", "exit 0\n"));
  struct Case {
    std::string line;
    int status;
  };
  std::vector<Case> cases = {{"exit 0", 0}, {"exit 1", 1}, {"exit 42", 42}};
  if (kWindows) {
    cases.push_back({"\"" + scratch.file("absent.exe") + "\"", 9009});
  } else {
    cases.push_back({"\"" + scratch.file("absent") + "\"", 127});
    cases.push_back({"\"" + scratch.file("not executable") + "\"", 126});
    cases.push_back({"kill -TERM $$", 128 + 15});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    for (milliseconds limit : {milliseconds(0), milliseconds(60000)}) {
      CommandResult result = hostPlatform().runLimitedCommand(c.line, limitOf(limit, true));
      EXPECT_EQ(result.end, CommandEnd::exited);
      EXPECT_TRUE(result.started);
      EXPECT_EQ(result.status, c.status);
    }
    EXPECT_EQ(hostPlatform().runCommand(c.line), c.status);
  }
}

TEST(LimitedCommand, CommandPastItsLimitIsEndedWithItsChildProcesses) {
  TestDirectory scratch;
  const std::string marker = scratch.file("marker");
  // A child process that would leave a marker after the limit, and a
  // command that would run far longer than the limit.
  const std::string helper = helperCommand();
  const std::string line =
      kWindows ? "start \"\" /b " + helper + " sleep 1500 \"" + marker + "\" & " + helper +
                     " sleep 60000"
               : "(sleep 1.5; : > \"" + marker + "\") & sleep 60";
  Clock::time_point start = Clock::now();
  CommandResult result = hostPlatform().runLimitedCommand(line, limitOf(milliseconds(300)));
  EXPECT_EQ(result.end, CommandEnd::timedOut);
  EXPECT_TRUE(result.started);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(20));
  std::this_thread::sleep_for(milliseconds(2500));
  EXPECT_FALSE(scratch.exists("marker")) << "a child process outlived the limit";
}

TEST(LimitedCommand, CommandThatIgnoresTheRequestToStopIsEndedAfterTheGrace) {
  if (kWindows) GTEST_SKIP() << "Windows ends the job at once, without a request to stop";
  CommandLimits limits = limitOf(milliseconds(200));
  limits.terminationGrace = milliseconds(200);
  Clock::time_point start = Clock::now();
  CommandResult result = hostPlatform().runLimitedCommand("trap '' TERM; sleep 60", limits);
  EXPECT_EQ(result.end, CommandEnd::timedOut);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(20));
}


}  // namespace
}  // namespace vornup
