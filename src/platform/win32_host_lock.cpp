#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "platform/host_lock.h"

namespace vornup {
namespace {

constexpr char kGlobalName[] = "Global\\vornup-host-lock";
constexpr char kLocalName[] = "Local\\vornup-host-lock";

// The name the mutex was made with (Global unless that was refused).
const char* usedName = kGlobalName;

HANDLE openMutex() {
  HANDLE mutex = CreateMutexA(nullptr, FALSE, kGlobalName);
  if (mutex == nullptr && GetLastError() == ERROR_ACCESS_DENIED) {
    mutex = CreateMutexA(nullptr, FALSE, kLocalName);
    if (mutex != nullptr) usedName = kLocalName;
  }
  return mutex;
}

}  // namespace

std::string HostLock::name() { return usedName; }

HostLockResult HostLock::acquire() {
  if (held()) return HostLockResult::acquired;
  HANDLE mutex = openMutex();
  if (mutex == nullptr) return HostLockResult::unavailable;
  switch (WaitForSingleObject(mutex, 0)) {
    case WAIT_OBJECT_0:
    case WAIT_ABANDONED:  // its last owner ended without releasing it
      handle_ = reinterpret_cast<std::intptr_t>(mutex);
      return HostLockResult::acquired;
    case WAIT_TIMEOUT:
      CloseHandle(mutex);
      return HostLockResult::heldByAnotherRun;
    default:
      CloseHandle(mutex);
      return HostLockResult::unavailable;
  }
}

void HostLock::release() {
  if (!held()) return;
  HANDLE mutex = reinterpret_cast<HANDLE>(handle_);
  ReleaseMutex(mutex);
  CloseHandle(mutex);
  handle_ = kNone;
}

}  // namespace vornup
