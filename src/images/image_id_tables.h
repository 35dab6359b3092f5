// Image ids of ALL and PRG files turned into type codes.
//
// ALL and PRG files name the adapter family and image kind they are meant for
// by an 8-bit image id. Three fixed tables turn the id into a two-letter type
// code (family, kind): one for DWC sub-images of image type 7, one for DWC
// sub-images of image type 11, one for PRG files. The image list matches
// images to adapters by that code.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/output.h"
#include "images/image_verify.h"

namespace vornup {

// One id of the DWC tables; the two tables differ only in ids 41 and 235.
// Id 18 maps to the empty code in both.
struct DwcTypeCode {
  uint8_t imageId;
  const char* type7Code;
  const char* type11Code;
};

// PRG codes follow from the id: the first letter from id / 8, the second
// from id % 8.
struct PrgLetter {
  uint8_t part;
  char letter;
};

extern const DwcTypeCode kDwcTypeCodes[];
extern const std::size_t kDwcTypeCodeCount;
extern const PrgLetter kPrgFamilyLetters[];
extern const std::size_t kPrgFamilyLetterCount;
extern const PrgLetter kPrgKindLetters[];
extern const std::size_t kPrgKindLetterCount;
// Combinations of the two letter tables that have no code.
extern const uint8_t kPrgUnlistedIds[];
extern const std::size_t kPrgUnlistedIdCount;

// Each lookup makes `result` empty, then writes the type code of a listed id
// (two letters and a NUL at offset 2) and returns true; for any other id it
// leaves the text empty, traces the unknown-code line and returns false.
bool lookupDwcType7Code(Output& out, uint32_t imageId, ImageIdText& result);
bool lookupDwcType11Code(Output& out, uint32_t imageId, ImageIdText& result);
bool lookupPrgCode(Output& out, uint32_t imageId, ImageIdText& result);

}  // namespace vornup
