// Reads of one port's details (attributes, PCI data, wakeup, boot code
// switch) that fail: the port is then a failed port, whose query or
// download counts as failed.
#pragma once

#include "core/run_state.h"
#include "tool/tandrel.h"

namespace vornup {

// Whether a reply is needed for the read to count: the boot code switch
// answers with nothing the run relies on.
enum class ReplyNeed { reply, none };

// Runs the read `format` (its first word names the tool command) for port
// `a` at `address`, as executeForAddress does. A read that failed (not
// run, ended at its time limit, reply unreadable) or, where a reply is
// needed, gave none is recorded in a.readFailure (the first one counts) and
// named on standard error. A read cut short by an interrupt is not a
// failure of the port: the run ends as interrupted.
ToolStep readPort(RunState& run, Adapter& a, const char* format, const char* address,
                  const char* extra = "", ReplyNeed need = ReplyNeed::reply);

}  // namespace vornup
