#include "platform/posix_wakeup.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

namespace vornup {
namespace {

// Written by signal handlers only after both ends exist.
volatile sig_atomic_t writeEnd = -1;
int readEnd = -1;

bool makeNonBlockingAndPrivate(int descriptor) {
  int flags = ::fcntl(descriptor, F_GETFL);
  return flags != -1 && ::fcntl(descriptor, F_SETFL, flags | O_NONBLOCK) == 0 &&
         ::fcntl(descriptor, F_SETFD, FD_CLOEXEC) == 0;
}

void onChildSignal(int) { wakeUp(); }

bool setUp() {
  int ends[2];
  if (::pipe(ends) != 0) return false;
  if (!makeNonBlockingAndPrivate(ends[0]) || !makeNonBlockingAndPrivate(ends[1])) {
    ::close(ends[0]);
    ::close(ends[1]);
    return false;
  }
  readEnd = ends[0];
  writeEnd = ends[1];
  struct sigaction action = {};
  action.sa_handler = onChildSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART | SA_NOCLDSTOP;
  return ::sigaction(SIGCHLD, &action, nullptr) == 0;
}

}  // namespace

bool prepareWakeup() {
  static const bool ready = setUp();
  return ready;
}

int wakeupDescriptor() { return readEnd; }

void drainWakeup() {
  if (readEnd < 0) return;
  char bytes[64];
  while (::read(readEnd, bytes, sizeof bytes) > 0) {
  }
}

void wakeUp() {
  int savedErrno = errno;
  if (writeEnd >= 0) {
    const char byte = 0;
    // A full pipe already wakes the waiter: a failed write loses nothing.
    ssize_t ignored = ::write(writeEnd, &byte, 1);
    (void)ignored;
  }
  errno = savedErrno;
}

}  // namespace vornup
