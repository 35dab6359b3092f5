// UFI files: the firmware of the converged adapters on the KX2 and KX3 chips.
//
// A UFI file starts with a 96-byte little-endian header (image length at
// offset 56, build version text at offset 72) and holds, somewhere after it, a
// flash directory marked by a 32-byte cookie; the directory names the device
// ids the image is meant for. A file is tried as KX2 first and then as KX3.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/image_family.h"
#include "core/output.h"
#include "images/image_precheck.h"
#include "images/image_verify.h"

namespace vornup {

constexpr std::size_t kUfiHeaderBytes = 96;
constexpr std::size_t kUfiImageLengthOffset = 56;
constexpr std::size_t kUfiVersionOffset = 72;
constexpr std::size_t kUfiVersionBytes = 24;

constexpr std::size_t kUfiCookieBytes = 32;
// 11 characters, 5 NULs, 16 characters (the last one a blank).
constexpr char kUfiCookie[kUfiCookieBytes + 1] = "*** GM FLAS\0\0\0\0\0H DIRECTORY *** ";
constexpr std::size_t kUfiDeviceIdCount = 8;
// Device id n (1 to 8) is the second word of the n-th 16-byte record.
constexpr std::size_t kUfiFirstDeviceIdOffset = 52;
constexpr std::size_t kUfiDeviceIdStride = 16;

struct UfiChip {
  const char* name;      // "KX2": in the trace headings and messages
  const char* codename;  // "Brindle"
  ImageCheckRules check;
  uint64_t cookieSearchStart;  // the first 32-byte block the cookie search compares
  ImageFamily family;          // a directory naming a device ID of this family matches the chip
};

extern const UfiChip kKx2Chip;
extern const UfiChip kKx3Chip;

struct UfiFlashDirectory {
  uint32_t deviceId[kUfiDeviceIdCount] = {};
};

// Each returns 0 for a well-formed image of its chip and writes the build
// version text into `version` (also on some failures: the caller uses it only
// with status 0).
int verifyKx2Firmware(Output& out, ImageIdText& version, const char* path);
int verifyKx3Firmware(Output& out, ImageIdText& version, const char* path);

// Writes the eight device ids of the flash directory to the trace.
void printUFIHeaderFlashDirectory(Output& out, const UfiFlashDirectory& directory);

}  // namespace vornup
