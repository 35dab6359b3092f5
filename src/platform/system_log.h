// Audit records in the host's system log, sent so that a missing or slow log
// service never holds the run.
//
// POSIX: syslog records (ident "vornup", facility daemon) as datagrams on a
// non-blocking socket to /dev/log, or to the socket that the variable
// VORNUP_SYSLOG_SOCKET names (a private receiver, for tests); a record the
// socket cannot take at once is dropped.
// Windows: the Application event log under the source "vornup"
// (RegisterEventSourceA/ReportEventA); the source is registered, when it is
// not yet, by the first run with administrator rights.
#pragma once

#include <string>

namespace vornup {

enum class AuditSeverity { information, warning, error };

enum class AuditDelivery {
  delivered,
  noLogService,  // nothing listens (no socket, or no event log service)
  failed,        // the service is there but did not take the record
};

// Sends one record (one line of text, no line end). `why` receives the
// system's reason when it was not delivered.
AuditDelivery sendAuditRecord(AuditSeverity severity, const std::string& text, std::string& why);

// The name of the user the program runs as, "" when it cannot be found.
std::string runningUserName();

}  // namespace vornup
