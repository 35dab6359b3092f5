#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/host_lock.h"

namespace vornup {
namespace {

constexpr char kRegistryRootVariable[] = "VORNUP_REGISTRY_ROOT";
constexpr char kDefaultRegistryRoot[] = "/etc/vornup/registry";
constexpr char kLockSuffix[] = ".lock";
constexpr mode_t kLockFileMode = 0600;

}  // namespace

std::string HostLock::name() {
  const char* root = std::getenv(kRegistryRootVariable);
  std::string path = (root != nullptr && *root != '\0') ? root : kDefaultRegistryRoot;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path + kLockSuffix;
}

HostLockResult HostLock::acquire() {
  if (held()) return HostLockResult::acquired;
  // Non-blocking, so that a FIFO in its place cannot hold the run up; never
  // through a symbolic link; never truncated.
  int descriptor = ::open(name().c_str(),
                          O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY,
                          kLockFileMode);
  if (descriptor < 0) return HostLockResult::unavailable;
  struct stat info;
  if (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(descriptor);
    return HostLockResult::unavailable;
  }
  int locked;
  do {
    locked = ::flock(descriptor, LOCK_EX | LOCK_NB);
  } while (locked != 0 && errno == EINTR);
  if (locked != 0) {
    bool held = errno == EWOULDBLOCK;
    ::close(descriptor);
    return held ? HostLockResult::heldByAnotherRun : HostLockResult::unavailable;
  }
  handle_ = descriptor;
  return HostLockResult::acquired;
}

void HostLock::release() {
  if (!held()) return;
  ::close(static_cast<int>(handle_));
  handle_ = kNone;
}

}  // namespace vornup
