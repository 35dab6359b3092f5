// The host-wide lock that lets one run at a time touch the host.
//
// POSIX: an exclusive flock on the file "<registry root>.lock" beside the
// registry stand-in (VORNUP_REGISTRY_ROOT without trailing slashes, default
// /etc/vornup/registry.lock). The file is created owner-only when absent,
// never truncated, never followed when it is a symbolic link, refused when it
// is not a regular file, and not inherited by child processes.
// Windows: the named mutex Global\vornup-host-lock (Local\vornup-host-lock
// when the Global namespace is refused); a mutex abandoned by a run that died
// counts as acquired.
// The lock is released by release(), the destructor, or the end of the
// process, however it ends.
#pragma once

#include <cstdint>
#include <string>

namespace vornup {

enum class HostLockResult {
  acquired,
  heldByAnotherRun,
  unavailable,  // the lock file or mutex cannot be made or used
};

class HostLock {
 public:
  HostLock() = default;
  ~HostLock() { release(); }
  HostLock(const HostLock&) = delete;
  HostLock& operator=(const HostLock&) = delete;

  // Takes the lock without waiting. Taking a lock already held by this
  // object gives `acquired` again.
  HostLockResult acquire();
  void release();
  bool held() const { return handle_ != kNone; }

  // The lock file's path (POSIX) or the mutex name (Windows) that acquire()
  // uses, for messages.
  static std::string name();

 private:
  static constexpr std::intptr_t kNone = -1;
  // A file descriptor on POSIX, a mutex handle on Windows.
  std::intptr_t handle_ = kNone;
};

}  // namespace vornup
