// 64-bit positions on C streams: image files of several GiB are measured and
// sought as what they are, also where `long` has 32 bits.
#pragma once

#include <cstdint>
#include <cstdio>

namespace vornup {

// Moves `stream` to the absolute `position`; false when the system refuses.
bool seekStream(std::FILE* stream, uint64_t position);

// The length of the file behind `stream`, asked of the system without moving
// the stream; false when it cannot be measured.
bool measureStream(std::FILE* stream, uint64_t& size);

}  // namespace vornup
