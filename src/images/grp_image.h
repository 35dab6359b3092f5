// GRP files: the firmware of the adapters on the Halvard chip.
//
// A GRP file starts with a 140-byte header: three big-endian words (the
// second a magic number, the third a signature word) and a 128-byte version
// text. The reader hands back the build text at the start of that version.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/output.h"
#include "images/image_file.h"
#include "images/image_precheck.h"
#include "images/image_verify.h"

namespace vornup {

constexpr uint32_t kGrpMagicNumber = 0xFEAA0001;
// The upper 16 bits of the signature word; the lower 16 are free.
constexpr uint32_t kGrpSignature = 0xF7A2;

extern const ImageCheckRules kGrpImageCheck;

// The GRP header with its words in host order.
struct GrpHeader {
  static constexpr std::size_t kBytes = 140;
  static constexpr std::size_t kMagicOffset = 4;
  static constexpr std::size_t kSignatureOffset = 8;
  static constexpr std::size_t kVersionOffset = 12;
  static constexpr std::size_t kVersionBytes = 128;

  uint32_t firstWord = 0;
  uint32_t magicNumber = 0;
  uint32_t signature = 0;
  char version[kVersionBytes] = {};

  bool magicOk() const { return magicNumber == kGrpMagicNumber; }
  bool signatureOk() const { return (signature >> 16) == kGrpSignature; }
};

// Results of readGrpHeader besides 0: bad header (RM_STATUS_ERROR), file
// shorter than the header (RM_STATUS_ERROR_SHORT_FWIMAGE), file cannot be
// opened (RM_STATUS_ERROR_READING_RESOURCE). The header holds what was read
// also when a header test fails.
int readGrpHeader(GrpHeader& header, const char* path);
// The same from an opened (or not) file.
int readGrpHeader(GrpHeader& header, ImageFile& file);

// Takes the build text, the leading run of digits and '.', out of the
// header's version text; returns 0, or 1 (with an empty build text) when the
// version field has no end or the build text does not fit the 32-byte
// identifier.
int getHalvardBuildString(Output& out, ImageIdText& buildText, const GrpHeader& header);

// Checks the file and its header; returns 0 and the build text, or a status.
int verifyGrpHeader(Output& out, const char* path, ImageIdText& buildText);

}  // namespace vornup
