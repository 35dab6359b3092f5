// PRG files: the boot code of the Fibre Channel adapters.
//
// A PRG file is a 48-byte header of big-endian words (word 1 is the image id
// word) followed by a PCI expansion ROM stored in 4-byte groups whose bytes
// are reversed. The reader writes the type code of the image id and the
// encoded version into the caller's result text.
#pragma once

#include <cstdint>

#include "images/image_file.h"

namespace vornup {

constexpr std::size_t kPrgHeaderBytes = 48;
// Boot code whose ROM carries this device id is reported with the family
// letter 'F' instead of 'U'.
constexpr uint32_t kPrgFamilyFDeviceId = 0x7D80;

// Reads the PCI data structure of the ROM that starts at the file's current
// position and answers whether it carries `deviceId` (false also without a
// ROM signature or data structure, or for a read that meets the end of the
// file). The file is back at the position on entry afterwards.
bool hasPciRomDeviceId(ImageFile& file, uint32_t deviceId);

}  // namespace vornup
