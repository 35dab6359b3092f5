#include <pwd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/system_log.h"

namespace vornup {
namespace {

constexpr char kLogSocket[] = "/dev/log";
constexpr char kLogSocketVariable[] = "VORNUP_SYSLOG_SOCKET";
constexpr char kIdent[] = "vornup";
constexpr int kFacilityDaemon = 3;

// Severity numbers of the syslog protocol.
int severityNumber(AuditSeverity severity) {
  switch (severity) {
    case AuditSeverity::error:
      return 3;
    case AuditSeverity::warning:
      return 4;
    case AuditSeverity::information:
      break;
  }
  return 6;
}

// "<PRI>Mmm dd hh:mm:ss vornup[pid]: text", as the C library's syslog sends it.
std::string recordText(AuditSeverity severity, const std::string& text) {
  const std::time_t now = std::time(nullptr);
  std::tm parts{};
  char stamp[32] = "Jan  1 00:00:00";
  if (::localtime_r(&now, &parts) != nullptr) {
    std::strftime(stamp, sizeof stamp, "%b %e %H:%M:%S", &parts);
  }
  return "<" + std::to_string(kFacilityDaemon * 8 + severityNumber(severity)) + ">" + stamp + " " +
         kIdent + "[" + std::to_string(::getpid()) + "]: " + text;
}

}  // namespace

AuditDelivery sendAuditRecord(AuditSeverity severity, const std::string& text, std::string& why) {
  const char* named = std::getenv(kLogSocketVariable);
  const char* path = named != nullptr && *named != '\0' ? named : kLogSocket;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (std::strlen(path) >= sizeof address.sun_path) {
    why = "the socket path is too long";
    return AuditDelivery::failed;
  }
  std::strcpy(address.sun_path, path);
  const int endpoint = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (endpoint < 0) {
    why = std::strerror(errno);
    return AuditDelivery::failed;
  }
  const std::string record = recordText(severity, text);
  ssize_t sent;
  do {
    sent = ::sendto(endpoint, record.data(), record.size(), MSG_DONTWAIT | MSG_NOSIGNAL,
                    reinterpret_cast<const sockaddr*>(&address), sizeof address);
  } while (sent < 0 && errno == EINTR);
  const int error = errno;
  ::close(endpoint);
  if (sent == static_cast<ssize_t>(record.size())) return AuditDelivery::delivered;
  why = std::strerror(error);
  return error == ENOENT || error == ECONNREFUSED || error == ENOTDIR ? AuditDelivery::noLogService
                                                                     : AuditDelivery::failed;
}

std::string runningUserName() {
  const uid_t user = ::getuid();
  char buffer[4096];
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(user, &entry, buffer, sizeof buffer, &found) == 0 && found != nullptr &&
      found->pw_name != nullptr) {
    return found->pw_name;
  }
  return "uid " + std::to_string(user);
}

}  // namespace vornup
