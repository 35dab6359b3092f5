// Windows: a console Ctrl-Break event reaches the handler, which records the
// interrupt (exit code 1602) and ends only a command that may be ended.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/command.h"
#include "platform/interrupts.h"
#include "platform/platform.h"
#include "platform_test_files.h"

namespace vornup {
namespace {

using std::chrono::milliseconds;

// Raises Ctrl-Break for this console after `delay`, from another thread.
std::thread breakAfter(milliseconds delay) {
  return std::thread([delay] {
    std::this_thread::sleep_for(delay);
    GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, 0);
  });
}

TEST(Win32Interrupts, CtrlBreakEndsOnlyAnInterruptibleCommand) {
  ASSERT_TRUE(installInterruptHandlers());
  clearInterruptRequest();
  // A test run may have no console of its own: give it one.
  if (!GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, 0) &&
      !(AllocConsole() && GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, 0))) {
    GTEST_SKIP() << "no console to raise a control event in (error " << GetLastError() << ")";
  }
  for (int wait = 0; wait < 100 && !interruptRequested(); ++wait) {
    std::this_thread::sleep_for(milliseconds(20));
  }
  if (!interruptRequested()) GTEST_SKIP() << "the console event did not reach the handler";
  EXPECT_EQ(interruptExitCode(), 1602);
  clearInterruptRequest();
  EXPECT_EQ(interruptExitCode(), 0);

  CommandLimits limits;
  limits.timeLimit = milliseconds(60000);
  limits.endOnInterrupt = true;
  const std::string line = helperCommand() + " sleep 3000";
  std::thread raiser = breakAfter(milliseconds(300));
  CommandResult query = hostPlatform().runLimitedCommand(line, limits);
  raiser.join();
  EXPECT_EQ(query.end, CommandEnd::interrupted);
  EXPECT_EQ(interruptExitCode(), 1602);

  clearInterruptRequest();
  limits.endOnInterrupt = false;
  raiser = breakAfter(milliseconds(300));
  CommandResult download = hostPlatform().runLimitedCommand(line + " & exit 4", limits);
  raiser.join();
  EXPECT_EQ(download.end, CommandEnd::exited);
  EXPECT_EQ(download.status, 4);
  EXPECT_TRUE(interruptRequested());
  clearInterruptRequest();
}

}  // namespace
}  // namespace vornup
