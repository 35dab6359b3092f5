// The summaries printed at the end of a verbose operation run.
#pragma once

#include <cstdint>

namespace vornup {

struct RunState;

// The download summary when anything was downloaded, then the
// unsupported-adapter summary when the adapter loop took the supported flag
// from `lostAdapters` adapters.
void printVerboseSummaries(RunState& run, uint16_t lostAdapters);

// Every download result line, in adapter order.
void printDownloadSummary(RunState& run);

// Every adapter that is not supported, with its identity and versions.
void printUnsupportedSummary(RunState& run);

}  // namespace vornup
