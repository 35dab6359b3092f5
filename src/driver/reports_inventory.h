// The inventory dump: every adapter record, field by field, in the debug trace.
#pragma once

namespace vornup {

struct RunState;

void traceAdapterList(RunState& run);

}  // namespace vornup
