// ALL files: the firmware of the Fibre Channel adapters.
//
// An ALL file is a sequence of sub-images, each a 128-byte AIF header and its
// body. Unless the file has an AIF name, each sub-image is followed by 4 bytes
// the reader skips, and one more word after the last sub-image brings the
// file's checksum to 0. The reader writes the type code of the last DWC
// sub-image and the version of the last DWC or FWC sub-image after it into
// the caller's result text.
#pragma once

#include <cstdint>

#include "core/output.h"
#include "images/image_verify.h"

namespace vornup {

// Sub-image kinds (word 2 of the AIF header).
constexpr uint32_t kAifKindAwc = 0xE1A01001;
constexpr uint32_t kAifKindDwc = 0xE1A02002;
constexpr uint32_t kAifKindBwc = 0xE1A03003;
constexpr uint32_t kAifKindFwc = 0xE1A04004;

// The AIF header (`Aif_header`), 32 words in host order.
struct AifHeader {
  static constexpr std::size_t kBytes = 128;
  static constexpr std::size_t kCompressBrWord = 0;
  static constexpr std::size_t kKindWord = 2;
  static constexpr std::size_t kBodySizeWord = 5;
  static constexpr std::size_t kImageIdWord = 14;

  uint32_t word[kBytes / 4] = {};

  uint32_t compressBr() const { return word[kCompressBrWord]; }
  uint32_t kind() const { return word[kKindWord]; }
  uint32_t bodySize() const { return word[kBodySizeWord]; }
  uint32_t imageIdWord() const { return word[kImageIdWord]; }
};

// Decodes one sub-image by its kind into the result text; returns 0 or
// 0xFFF90001 (unknown kind, unknown image type or unknown image id).
int verifyAllSubImage(Output& out, const AifHeader& header, ImageIdText& result);

// Whether everything after the first '.' of the path is "aif" or "AIF" (false
// for a path without a '.').
bool isAifFileName(const char* path);

}  // namespace vornup
