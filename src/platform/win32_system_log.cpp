#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "platform/system_log.h"

namespace vornup {
namespace {

constexpr char kEventSource[] = "vornup";
constexpr char kEventSourceKey[] =
    "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\vornup";
constexpr char kTypesSupported[] = "TypesSupported";
// One event number for every audit record; the record's text says the rest.
constexpr DWORD kAuditEventId = 1000;

WORD eventType(AuditSeverity severity) {
  switch (severity) {
    case AuditSeverity::error:
      return EVENTLOG_ERROR_TYPE;
    case AuditSeverity::warning:
      return EVENTLOG_WARNING_TYPE;
    case AuditSeverity::information:
      break;
  }
  return EVENTLOG_INFORMATION_TYPE;
}

// Registers the event source once, when the run may write HKEY_LOCAL_MACHINE;
// without it the records still arrive, under an unregistered source.
void registerEventSource() {
  HKEY key = nullptr;
  DWORD disposition = 0;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kEventSourceKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_SET_VALUE, nullptr, &key, &disposition) != ERROR_SUCCESS) {
    return;
  }
  if (disposition == REG_CREATED_NEW_KEY) {
    const DWORD types = EVENTLOG_ERROR_TYPE | EVENTLOG_WARNING_TYPE | EVENTLOG_INFORMATION_TYPE;
    RegSetValueExA(key, kTypesSupported, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&types),
                   sizeof types);
  }
  RegCloseKey(key);
}

std::string systemReason(DWORD error) {
  char text[256] = {};
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, error, 0, text, sizeof text, nullptr);
  std::string reason(text, length);
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r')) reason.pop_back();
  return reason.empty() ? "system error " + std::to_string(error) : reason;
}

}  // namespace

AuditDelivery sendAuditRecord(AuditSeverity severity, const std::string& text, std::string& why) {
  static bool registered = false;
  if (!registered) {
    registerEventSource();
    registered = true;
  }
  HANDLE source = RegisterEventSourceA(nullptr, kEventSource);
  if (source == nullptr) {
    why = systemReason(GetLastError());
    return AuditDelivery::noLogService;
  }
  const char* strings[] = {text.c_str()};
  const BOOL reported =
      ReportEventA(source, eventType(severity), 0, kAuditEventId, nullptr, 1, 0, strings, nullptr);
  const DWORD error = GetLastError();
  DeregisterEventSource(source);
  if (reported) return AuditDelivery::delivered;
  why = systemReason(error);
  return AuditDelivery::failed;
}

std::string runningUserName() {
  char name[257] = {};
  DWORD size = sizeof name;
  if (!GetUserNameA(name, &size) || size == 0) return std::string();
  return std::string(name, size - 1);
}

}  // namespace vornup
