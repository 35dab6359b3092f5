// POSIX: the command runs as "/bin/sh -c <line>" (as system() runs it) in a
// new process group, with default signal dispositions and nothing blocked;
// posix_spawn starts it as cheaply as system() does. The parent waits on the
// wake-up pipe, which the SIGCHLD and interrupt handlers write to, with
// poll() and the time left.
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>

#include "platform/host_command.h"
#include "platform/interrupts.h"
#include "platform/posix_wakeup.h"

// The process environment, handed to the interpreter.
extern char** environ;

namespace vornup {
namespace {

using Clock = std::chrono::steady_clock;

constexpr char kInterpreter[] = "/bin/sh";

// Starts the interpreter in a process group of its own; false when it could
// not be started.
bool spawnInterpreter(char* const* arguments, pid_t& child) {
  posix_spawnattr_t attributes;
  if (::posix_spawnattr_init(&attributes) != 0) return false;
  sigset_t all;
  sigset_t none;
  sigfillset(&all);
  sigemptyset(&none);
  bool ready =
      ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF |
                                                  POSIX_SPAWN_SETSIGMASK) == 0 &&
      ::posix_spawnattr_setpgroup(&attributes, 0) == 0 &&
      ::posix_spawnattr_setsigdefault(&attributes, &all) == 0 &&
      ::posix_spawnattr_setsigmask(&attributes, &none) == 0;
  bool started =
      ready && ::posix_spawn(&child, kInterpreter, nullptr, &attributes, arguments, environ) == 0;
  ::posix_spawnattr_destroy(&attributes);
  return started;
}

int statusOf(int waitStatus) {
  if (WIFEXITED(waitStatus)) return WEXITSTATUS(waitStatus);
  if (WIFSIGNALED(waitStatus)) return 128 + WTERMSIG(waitStatus);
  return waitStatus;
}

// Milliseconds from now until `moment`, rounded up, for poll().
int millisecondsUntil(Clock::time_point moment) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(moment - Clock::now());
  if (left.count() < 0) return 0;
  return left.count() >= INT_MAX ? INT_MAX : static_cast<int>(left.count()) + 1;
}

// Waits until the wake-up pipe is written to or `deadline` passes (no
// deadline: until the pipe is written to).
void waitForWakeup(bool hasDeadline, Clock::time_point deadline) {
  struct pollfd wakeup = {};
  wakeup.fd = wakeupDescriptor();
  wakeup.events = POLLIN;
  ::poll(&wakeup, 1, hasDeadline ? millisecondsUntil(deadline) : -1);
  drainWakeup();
}

}  // namespace

CommandResult runHostCommand(const std::string& commandLine, const CommandLimits& limits,
                             CommandWatch& watch) {
  CommandResult result;
  if (!prepareWakeup()) return result;
  std::fflush(stdout);
  std::string line = commandLine;
  char name[] = "sh";
  char option[] = "-c";
  char* arguments[] = {name, option, &line[0], nullptr};

  pid_t child = 0;
  if (!spawnInterpreter(arguments, child)) return result;
  result.started = true;
  watch.commandStarted(child);

  const bool limited = limits.timeLimit.count() > 0;
  const Clock::time_point limit = Clock::now() + limits.timeLimit;
  bool ending = false;
  bool killed = false;
  Clock::time_point killAt;
  for (;;) {
    int waitStatus = 0;
    pid_t reaped = ::waitpid(child, &waitStatus, WNOHANG);
    if (reaped == child) {
      result.status = statusOf(waitStatus);
      break;
    }
    if (reaped < 0 && errno != EINTR) break;  // not our child any more
    if (!ending) {
      if (limits.endOnInterrupt && interruptRequested()) {
        result.end = CommandEnd::interrupted;
        ending = true;
      } else if (limited && Clock::now() >= limit) {
        result.end = CommandEnd::timedOut;
        ending = true;
      }
      if (ending) {
        ::kill(-child, SIGTERM);
        killAt = Clock::now() + limits.terminationGrace;
      }
    } else if (!killed && Clock::now() >= killAt) {
      ::kill(-child, SIGKILL);
      killed = true;
    }
    if (killed) {
      // Nothing survives SIGKILL: wait for it without a deadline.
      waitForWakeup(false, killAt);
    } else if (ending) {
      waitForWakeup(true, killAt);
    } else {
      waitForWakeup(limited, limit);
    }
  }
  if (ending) {
    // Processes of the group that outlived the interpreter (the group's id
    // stays reserved while any member lives).
    ::kill(-child, SIGKILL);
    result.status = -1;
  } else {
    result.end = CommandEnd::exited;
  }
  watch.commandEnded();
  return result;
}

}  // namespace vornup
