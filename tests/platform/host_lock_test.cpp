// The host-wide lock between real processes: the helper program plays the
// second run.
#include "platform/host_lock.h"

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "platform_test_files.h"

namespace vornup {
namespace {

int helperTakesTheLock() {
  CommandResult result = hostPlatform().runLimitedCommand(helperCommand() + " lock", CommandLimits());
  EXPECT_EQ(result.end, CommandEnd::exited);
  return result.status;
}

TEST(HostLock, SecondProcessFindsTheLockHeldUntilItIsReleased) {
  ASSERT_EQ(helperTakesTheLock(), kHelperLockAcquired) << HostLock::name();
  {
    HostLock lock;
    ASSERT_EQ(lock.acquire(), HostLockResult::acquired) << HostLock::name();
    EXPECT_TRUE(lock.held());
    EXPECT_EQ(lock.acquire(), HostLockResult::acquired);
    EXPECT_EQ(helperTakesTheLock(), kHelperLockHeld);
    lock.release();
    EXPECT_FALSE(lock.held());
    EXPECT_EQ(helperTakesTheLock(), kHelperLockAcquired);
    ASSERT_EQ(lock.acquire(), HostLockResult::acquired);
  }
  // The destructor released it.
  EXPECT_EQ(helperTakesTheLock(), kHelperLockAcquired);
}

TEST(HostLock, ProcessesStartedWhileItIsHeldDoNotKeepIt) {
  HostLock lock;
  ASSERT_EQ(lock.acquire(), HostLockResult::acquired);
  // A process that lives on after the command returned.
  const std::string background = kWindows ? "start \"\" /b " + helperCommand() + " sleep 3000"
                                          : helperCommand() + " sleep 3000 &";
  ASSERT_EQ(hostPlatform().runCommand(background), 0);
  lock.release();
  EXPECT_EQ(helperTakesTheLock(), kHelperLockAcquired);
}

// Last of this program's lock tests: the lock stays taken until it ends.
TEST(HostLock, PlatformTakesItForTheWholeProcess) {
  ASSERT_EQ(hostPlatform().acquireHostLock(), HostLockResult::acquired);
  EXPECT_EQ(helperTakesTheLock(), kHelperLockHeld);
}

}  // namespace
}  // namespace vornup
