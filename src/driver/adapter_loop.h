// The per-adapter part of a run: every adapter in list order is queried,
// rejected as unsupported, or handed to the update decision.
#pragma once

#include <cstdint>

#include "core/run_state.h"

namespace vornup {

// Runs the adapter loop (until an interrupt is requested) and returns the number of adapters that lost their
// `supported` flag in it (a gated adapter below the supported minimum).
uint16_t processAdapters(RunState& run);

}  // namespace vornup
