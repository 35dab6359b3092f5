// Test support: the device IDs of converged and Halvard functions, written
// out here rather than taken from the model table, so that tests of the
// table compare it with an independent list.
#pragma once

#include <cstdint>

namespace vornup {

inline bool isConvergedOrHalvardDevice(uint32_t deviceId) {
  const uint32_t ids[] = {0x3A00, 0x3A02, 0x3A04, 0x3A10, 0x3A12, 0x3A14, 0x6C00};
  for (uint32_t id : ids) {
    if (id == deviceId) return true;
  }
  return false;
}

}  // namespace vornup
