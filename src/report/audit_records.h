// The system log's audit records of a run: one for the run, one for every
// download it ran. Fields are "name=value" pairs, text values quoted.
//
//   run user="root" operation="update" mode="auto" preview=no
//     command_line="/auto /update" exit_code=0 status="All required updates
//     succeeded" adapters=2 downloads=1 failed=0
//   download user="root" address="10:00:00:00:c9:aa:bb:01" model="KF9002"
//     kind=firmware image="uf120x4.all" sha256="..." before="UF120A4"
//     after="UF120X4" outcome=downloaded
#pragma once

#include <string>
#include <vector>

#include "platform/system_log.h"

namespace vornup {

struct RunFacts;

struct AuditRecord {
  AuditSeverity severity = AuditSeverity::information;
  std::string text;
};

// The downloads' records in port order, firmware before boot code, then the
// run's.
std::vector<AuditRecord> auditRecordsOf(const RunFacts& facts);

}  // namespace vornup
