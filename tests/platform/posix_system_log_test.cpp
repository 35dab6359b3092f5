// The syslog seam against a receiver on a private socket: the record's
// form, an absent service, and a service that takes nothing more, which
// must not hold the run.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/system_log.h"
#include "platform_test_files.h"

namespace vornup {
namespace {

class Receiver {
 public:
  explicit Receiver(const std::string& path) {
    socket_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    EXPECT_EQ(::bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::setenv("VORNUP_SYSLOG_SOCKET", path.c_str(), 1);
  }
  ~Receiver() {
    ::close(socket_);
    ::unsetenv("VORNUP_SYSLOG_SOCKET");
  }
  std::string take() {
    char buffer[4096];
    const ssize_t got = ::recv(socket_, buffer, sizeof buffer, 0);
    return got > 0 ? std::string(buffer, static_cast<std::size_t>(got)) : std::string();
  }

 private:
  int socket_ = -1;
};

TEST(PosixSystemLog, SendsDaemonRecordsAndNeverWaits) {
  TestDirectory directory;
  Receiver receiver(directory.file("log"));
  std::string why;
  const struct {
    AuditSeverity severity;
    const char* priority;
  } severities[] = {{AuditSeverity::information, "<30>"},
                    {AuditSeverity::warning, "<28>"},
                    {AuditSeverity::error, "<27>"}};
  for (const auto& s : severities) {
    ASSERT_EQ(sendAuditRecord(s.severity, "download outcome=failed", why),
              AuditDelivery::delivered)
        << why;
    const std::string record = receiver.take();
    EXPECT_EQ(record.rfind(s.priority, 0), 0u) << record;
    EXPECT_NE(record.find(" vornup[" + std::to_string(::getpid()) + "]: download outcome=failed"),
              std::string::npos)
        << record;
  }
  // Nobody reads: the socket's queue fills, and each record is dropped at
  // once instead of waiting for room.
  AuditDelivery last = AuditDelivery::delivered;
  for (int i = 0; i < 100000 && last == AuditDelivery::delivered; ++i) {
    last = sendAuditRecord(AuditSeverity::information, std::string(1000, 'x'), why);
  }
  EXPECT_EQ(last, AuditDelivery::failed);
}

TEST(PosixSystemLog, NoReceiverIsNoLogService) {
  TestDirectory directory;
  ::setenv("VORNUP_SYSLOG_SOCKET", directory.file("nobody").c_str(), 1);
  std::string why;
  EXPECT_EQ(sendAuditRecord(AuditSeverity::information, "run", why), AuditDelivery::noLogService);
  ::unsetenv("VORNUP_SYSLOG_SOCKET");
}

}  // namespace
}  // namespace vornup
