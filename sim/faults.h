// Damage done to a reply by the fault knobs: every way the real tool's
// output could go wrong that the program must survive.
#pragma once

#include <cstddef>
#include <string>

#include "sim/host.h"

namespace tandrelsim {

// Size of the output of the "huge" fault.
constexpr std::size_t kHugeOutputSize = 1024 * 1024;
// Length of every line under the "long-lines" fault.
constexpr std::size_t kLongLineLength = 10000;

// Applies `mode` to a reply text and its exit status.
void damageReply(FaultMode mode, std::string& text, int& exitStatus);

}  // namespace tandrelsim
