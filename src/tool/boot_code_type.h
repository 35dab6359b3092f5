// Boot code types: the kind of boot code a Fibre Channel adapter carries,
// which the tool's "wakeup" output encodes as one hexadecimal byte.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/run_state.h"

namespace vornup {

// A code byte and its type: family letter, then kind letter. Codes run as
// 8 x group + kind + 1, the group naming the family and the kind (0 'B' x86,
// 1 'O' open boot, 2 'C', 3 'R' or 'L', 4 'E' EFI, 5 'P' pair, 6 'U'
// universal); two codes break that rule (0x2F and 0x80).
struct BootCodeType {
  uint8_t code;
  char type[3];
};

constexpr std::size_t kBootCodeTypeCount = 129;
extern const BootCodeType kBootCodeTypes[kBootCodeTypeCount];

// The type of a code, or "XX" for a code no boot code has.
const char* bootCodeTypeOf(uint32_t code);

// Runs "wakeup" for the adapter's WWN and sets its bootCodeType from the output.
void readBootCodeType(RunState& run, Adapter& a);

// Sets a.bootCodeType from the value of the "wakeup" output's "Boot Code" label
// (the token without its first character): its fourth and fifth characters
// are the code. Flags 0x7D80 and 0x7D8D mark an 'F' family variant.
void decodeBootCodeType(const char* value, Adapter& a);

}  // namespace vornup
