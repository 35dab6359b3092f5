// POSIX: a program is started with posix_spawn from its full path and an
// argument vector, in a new process group, with default signal dispositions
// and nothing blocked; its standard output is the new reply file, its
// standard input /dev/null, and every other descriptor of this process is
// closed in it. A command line runs the same way as "/bin/sh -c <line>" (as
// system() runs it), with the descriptors it inherits. The parent waits on
// the wake-up pipe, which the SIGCHLD and interrupt handlers write to, with
// poll() and the time left.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/host_command.h"
#include "platform/interrupts.h"
#include "platform/posix_descendants.h"
#include "platform/posix_wakeup.h"

// The process environment, handed to the program.
extern char** environ;

namespace vornup {
namespace {

using Clock = std::chrono::steady_clock;

constexpr char kInterpreter[] = "/bin/sh";

constexpr mode_t kReplyFileMode = 0600;
constexpr int kReplyFileFlags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
constexpr char kNullDevice[] = "/dev/null";

// What the child gets besides its arguments: the reply file as standard
// output, /dev/null as standard input, nothing else of this process.
class SpawnActions {
 public:
  SpawnActions() { ready_ = ::posix_spawn_file_actions_init(&actions_) == 0; }
  ~SpawnActions() {
    if (ready_) ::posix_spawn_file_actions_destroy(&actions_);
  }
  SpawnActions(const SpawnActions&) = delete;
  SpawnActions& operator=(const SpawnActions&) = delete;

  // `output` is open in this process (close-on-exec); the child gets it as
  // descriptor 1 (dup2 clears close-on-exec there).
  bool redirect(int output) {
    ready_ = ready_ &&
             ::posix_spawn_file_actions_addopen(&actions_, STDIN_FILENO, kNullDevice, O_RDONLY,
                                                0) == 0 &&
             ::posix_spawn_file_actions_adddup2(&actions_, output, STDOUT_FILENO) == 0;
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
    ready_ =
        ready_ && ::posix_spawn_file_actions_addclosefrom_np(&actions_, STDERR_FILENO + 1) == 0;
#endif
    return ready_;
  }
  bool ready() const { return ready_; }
  const posix_spawn_file_actions_t* get() const { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_;
  bool ready_ = false;
};

// Starts `program` in a process group of its own; the error number when it
// could not be started, else 0.
int spawnInGroup(const char* program, char* const* arguments, const SpawnActions* actions,
                 pid_t& child) {
  posix_spawnattr_t attributes;
  int error = ::posix_spawnattr_init(&attributes);
  if (error != 0) return error;
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
  if (!ready) {
    error = EINVAL;
  } else {
    error = ::posix_spawn(&child, program, actions != nullptr ? actions->get() : nullptr,
                          &attributes, arguments, environ);
  }
  ::posix_spawnattr_destroy(&attributes);
  return error;
}

// Opens the reply file for the child, at a descriptor above the standard
// ones; -1 (errno set) when it cannot be created.
int openReplyFile(const std::string& path) {
  int descriptor = ::open(path.c_str(), kReplyFileFlags, kReplyFileMode);
  if (descriptor >= 0 && descriptor <= STDERR_FILENO) {
    const int moved = ::fcntl(descriptor, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    const int saved = errno;
    ::close(descriptor);
    errno = saved;
    descriptor = moved;
  }
  return descriptor;
}

CommandResult notStarted(const char* why, int error) {
  CommandResult result;
  result.startError = std::string(why) + std::strerror(error);
  return result;
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

// Waits for `child` within `limits`; at the limit or on an interrupt ends its
// group (TERM, then KILL after the grace).
void waitWithin(pid_t child, const CommandLimits& limits, CommandResult& result) {
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
    // Processes of the group that outlived the program (the group's id
    // stays reserved while any member lives).
    ::kill(-child, SIGKILL);
    result.status = -1;
  } else {
    result.end = CommandEnd::exited;
  }
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
  if (spawnInGroup(kInterpreter, arguments, nullptr, child) != 0) return result;
  result.started = true;
  watch.commandStarted(child);
  waitWithin(child, limits, result);
  watch.commandEnded();
  return result;
}

CommandResult runHostProgram(const ProgramStart& start, const CommandLimits& limits,
                             CommandWatch& watch) {
  if (!prepareWakeup()) return notStarted("", ENOMEM);
  becomeSubreaper();
  std::fflush(stdout);
  const int output = openReplyFile(start.outputPath);
  if (output < 0) return notStarted("cannot create its output file: ", errno);
  SpawnActions actions;
  if (!actions.redirect(output)) {
    ::close(output);
    return notStarted("", ENOMEM);
  }
  std::vector<std::string> words;
  words.reserve(start.arguments.size() + 1);
  words.push_back(start.program);
  words.insert(words.end(), start.arguments.begin(), start.arguments.end());
  std::vector<char*> arguments;
  arguments.reserve(words.size() + 1);
  for (std::string& word : words) arguments.push_back(&word[0]);
  arguments.push_back(nullptr);

  const std::vector<pid_t> before = currentChildren();
  pid_t child = 0;
  const int error = spawnInGroup(start.program.c_str(), arguments.data(), &actions, child);
  ::close(output);
  if (error != 0) return notStarted("", error);
  CommandResult result;
  result.started = true;
  watch.commandStarted(child);
  waitWithin(child, limits, result);
  watch.commandEnded();
  if (result.end == CommandEnd::exited) {
    reapAdoptedDescendants(child, before);
  } else {
    endAdoptedDescendants(child, before);
  }
  return result;
}

}  // namespace vornup
