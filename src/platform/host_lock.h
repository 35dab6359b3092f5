// The host-wide lock that lets one run at a time touch the host.
//
// POSIX: an exclusive flock on the file /run/vornup.lock, one place whatever
// the registry root is and however it is spelled. The file is created
// owner-only when absent, never followed when it is a symbolic link, refused
// when it is not a regular file, and not inherited by child processes. Test
// harnesses that run side by side give each run a lock of its own with
// VORNUP_TEST_LOCK_DIRECTORY: the lock is then the file vornup-test.lock in
// that directory, a name the product's lock never has.
// Windows: the named mutex Global\vornup-host-lock (Local\vornup-host-lock
// when the Global namespace is refused); a mutex abandoned by a run that died
// counts as acquired.
// The lock is released by release(), the destructor, or the end of the
// process, however it ends. A tool command started while it is held outlives
// a run killed outright; the lock records the command's process (POSIX: the
// lock file holds its process group, Windows: the registry value
// HKLM\SOFTWARE\vornup\RunningTool holds its process id) with its start
// time, so that the lock stays held until that process ends, even after it
// was released.
#pragma once

#include <cstdint>
#include <string>

#include "platform/host_command.h"

namespace vornup {

enum class HostLockResult {
  acquired,
  heldByAnotherRun,
  unavailable,  // the lock file or mutex cannot be made or used
};

// A tool process that a run started: its process group (POSIX) or process
// id (Windows), and its start time, so that an id given to a new process
// is not taken for it.
struct ToolProcess {
  long long id = 0;
  unsigned long long started = 0;
};

class HostLock : public CommandWatch {
 public:
  HostLock() = default;
  ~HostLock() { release(); }
  HostLock(const HostLock&) = delete;
  HostLock& operator=(const HostLock&) = delete;

  // Takes the lock without waiting. Taking a lock already held by this
  // object gives `acquired` again. A tool process recorded by an earlier run
  // that still runs counts as another run holding it.
  HostLockResult acquire();
  void release();
  bool held() const { return handle_ != kNone; }

  // Records (and clears) the process of a tool command started while the
  // lock is held.
  void commandStarted(std::intptr_t process) override;
  void commandEnded() override;

  // After acquire() gave heldByAnotherRun because of a recorded tool
  // process: that process ("process group 1234"); "" otherwise.
  const std::string& holder() const { return holder_; }

  // The lock file's path (POSIX) or the mutex name (Windows) that acquire()
  // uses, for messages.
  static std::string name();

 private:
  static constexpr std::intptr_t kNone = -1;
  // A file descriptor on POSIX, a mutex handle on Windows.
  std::intptr_t handle_ = kNone;
  // Whether the lock may hold a tool's record (POSIX: the file is not empty).
  bool recorded_ = false;
  std::string holder_;
};

// The text a record holds ("<id> <start time>\n"), and the record read back;
// false for anything else.
std::string toolRecordText(const ToolProcess& process);
bool parseToolRecord(const std::string& text, ToolProcess& process);

}  // namespace vornup
