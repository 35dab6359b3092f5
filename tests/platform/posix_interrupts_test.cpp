// POSIX interrupts: real signals sent to this test process are recorded, the
// first one gives the exit code, and they end only commands that may be ended.
#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <thread>

#include "platform/command.h"
#include "platform/interrupts.h"
#include "platform/platform.h"
#include "platform_test_files.h"

namespace vornup {
namespace {

using std::chrono::milliseconds;

CommandLimits limitOf(milliseconds limit, bool endOnInterrupt = false) {
  CommandLimits limits;
  limits.timeLimit = limit;
  limits.endOnInterrupt = endOnInterrupt;
  return limits;
}

// The interrupt handlers of this test program: installed once, the flag
// cleared around each test.
class Interrupts : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(installInterruptHandlers());
    clearInterruptRequest();
  }
  void TearDown() override { clearInterruptRequest(); }
};

TEST_F(Interrupts, FirstSignalGivesTheExitCode) {
  struct Case {
    int first;
    int second;
    int exitCode;
  };
  const Case cases[] = {{SIGINT, 0, 130},
                        {SIGTERM, 0, 143},
                        {SIGHUP, 0, 129},
                        {SIGPIPE, 0, 141},
                        {SIGHUP, SIGINT, 129},
                        {SIGTERM, SIGHUP, 143}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.exitCode);
    clearInterruptRequest();
    EXPECT_FALSE(interruptRequested());
    EXPECT_EQ(interruptExitCode(), 0);
    ASSERT_EQ(::kill(::getpid(), c.first), 0);
    if (c.second != 0) {
      ASSERT_EQ(::kill(::getpid(), c.second), 0);
    }
    EXPECT_TRUE(interruptRequested());
    EXPECT_EQ(interruptExitCode(), c.exitCode);
  }
}

TEST_F(Interrupts, SignalFromAnotherProcessEndsOnlyAnInterruptibleCommand) {
  TestDirectory scratch;
  // The interpreter signals this test process ($PPID), then goes on.
  const std::string line = "kill -INT $PPID; sleep 1; : > \"" + scratch.file("finished") + "\"; exit 4";

  CommandResult query = hostPlatform().runLimitedCommand(line, limitOf(milliseconds(60000), true));
  EXPECT_EQ(query.end, CommandEnd::interrupted);
  EXPECT_TRUE(query.started);
  EXPECT_EQ(interruptExitCode(), 130);
  std::this_thread::sleep_for(milliseconds(1500));
  EXPECT_FALSE(scratch.exists("finished"));

  clearInterruptRequest();
  CommandResult download =
      hostPlatform().runLimitedCommand(line, limitOf(milliseconds(60000), false));
  EXPECT_EQ(download.end, CommandEnd::exited);
  EXPECT_EQ(download.status, 4);
  EXPECT_TRUE(scratch.exists("finished"));
  EXPECT_TRUE(interruptRequested());
  EXPECT_EQ(interruptExitCode(), 130);
}

TEST_F(Interrupts, NoInterruptibleCommandStartsAfterAnInterrupt) {
  TestDirectory scratch;
  ASSERT_EQ(::kill(::getpid(), SIGTERM), 0);
  const std::string line = ": > \"" + scratch.file("ran") + "\"";
  CommandResult query = hostPlatform().runLimitedCommand(line, limitOf(milliseconds(0), true));
  EXPECT_EQ(query.end, CommandEnd::interrupted);
  EXPECT_FALSE(query.started);
  EXPECT_FALSE(scratch.exists("ran"));
  CommandResult download = hostPlatform().runLimitedCommand(line, limitOf(milliseconds(0)));
  EXPECT_EQ(download.end, CommandEnd::exited);
  EXPECT_TRUE(scratch.exists("ran"));
}

TEST_F(Interrupts, ClosedPipeIsAWriteErrorNotTheEnd) {
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  ::close(ends[0]);
  EXPECT_EQ(::write(ends[1], "x", 1), -1);
  EXPECT_EQ(errno, EPIPE);
  ::close(ends[1]);
  EXPECT_EQ(interruptExitCode(), 141);
}

TEST_F(Interrupts, CommandsDoNotInheritTheHandlers) {
  // The interpreter gets default dispositions: a signal to itself ends it.
  CommandResult result = hostPlatform().runLimitedCommand("kill -INT $$; exit 3", limitOf(milliseconds(0)));
  EXPECT_EQ(result.end, CommandEnd::exited);
  EXPECT_EQ(result.status, 128 + SIGINT);
  EXPECT_FALSE(interruptRequested());
}

}  // namespace
}  // namespace vornup
