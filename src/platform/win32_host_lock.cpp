#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "platform/host_lock.h"

namespace vornup {
namespace {

constexpr char kGlobalName[] = "Global\\vornup-host-lock";
constexpr char kLocalName[] = "Local\\vornup-host-lock";
// Where the running tool's process is recorded: the 64-bit view, which the
// 32-bit and the 64-bit program share.
constexpr char kRecordKey[] = "SOFTWARE\\vornup";
constexpr char kRecordValue[] = "RunningTool";
constexpr REGSAM kRecordView = KEY_WOW64_64KEY;
constexpr DWORD kRecordSize = 64;

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

unsigned long long creationTime(HANDLE process) {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
  return (static_cast<unsigned long long>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

// Whether the recorded process still runs: a process with its id, created
// at its time, that has not exited.
bool processRuns(const ToolProcess& tool) {
  HANDLE process =
      OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(tool.id));
  if (process == nullptr) return false;
  DWORD exitCode = 0;
  const bool runs = GetExitCodeProcess(process, &exitCode) && exitCode == STILL_ACTIVE &&
                    (tool.started == 0 || creationTime(process) == tool.started);
  CloseHandle(process);
  return runs;
}

std::string readRecord() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRecordKey, 0, KEY_QUERY_VALUE | kRecordView, &key) !=
      ERROR_SUCCESS) {
    return std::string();
  }
  BYTE text[kRecordSize + 1] = {};
  DWORD size = kRecordSize;
  DWORD type = REG_NONE;
  const bool read =
      RegQueryValueExA(key, kRecordValue, nullptr, &type, text, &size) == ERROR_SUCCESS &&
      type == REG_SZ;
  RegCloseKey(key);
  return read ? std::string(reinterpret_cast<const char*>(text)) : std::string();
}

void clearRecord() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRecordKey, 0, KEY_SET_VALUE | kRecordView, &key) ==
      ERROR_SUCCESS) {
    RegDeleteValueA(key, kRecordValue);
    RegCloseKey(key);
  }
}

bool writeRecord(const std::string& text) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kRecordKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_SET_VALUE | kRecordView, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const bool written =
      RegSetValueExA(key, kRecordValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                     static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
  RegCloseKey(key);
  return written;
}

}  // namespace

std::string HostLock::name() { return usedName; }

HostLockResult HostLock::acquire() {
  if (held()) return HostLockResult::acquired;
  holder_.clear();
  HANDLE mutex = openMutex();
  if (mutex == nullptr) return HostLockResult::unavailable;
  switch (WaitForSingleObject(mutex, 0)) {
    case WAIT_OBJECT_0:
    case WAIT_ABANDONED: {  // its last owner ended without releasing it
      // The tool of a run that was ended outright may still run.
      ToolProcess tool;
      if (parseToolRecord(readRecord(), tool)) {
        if (processRuns(tool)) {
          holder_ = "process " + std::to_string(tool.id);
          ReleaseMutex(mutex);
          CloseHandle(mutex);
          return HostLockResult::heldByAnotherRun;
        }
        clearRecord();
      }
      handle_ = reinterpret_cast<std::intptr_t>(mutex);
      return HostLockResult::acquired;
    }
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
  commandEnded();
  HANDLE mutex = reinterpret_cast<HANDLE>(handle_);
  ReleaseMutex(mutex);
  CloseHandle(mutex);
  handle_ = kNone;
}

void HostLock::commandStarted(std::intptr_t process) {
  if (!held()) return;
  HANDLE handle = reinterpret_cast<HANDLE>(process);
  ToolProcess tool;
  tool.id = static_cast<long long>(GetProcessId(handle));
  tool.started = creationTime(handle);
  // Cleared at the command's end even when it could not be written whole.
  recorded_ = true;
  writeRecord(toolRecordText(tool));
}

void HostLock::commandEnded() {
  if (!held() || !recorded_) return;
  clearRecord();
  recorded_ = false;
}

}  // namespace vornup
