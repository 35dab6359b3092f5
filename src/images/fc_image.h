// Pieces shared by the ALL and PRG readers (Fibre Channel firmware and boot
// code): the image id word, the encoded version text and the word reads.
//
// Every number in an ALL file or a PRG header is a 32-bit big-endian word.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/fixed_text.h"
#include "core/output.h"
#include "images/image_file.h"
#include "images/image_verify.h"

namespace vornup {

// First word of an ALL file and of every sub-image header (`compress_br`).
constexpr uint32_t NOP_IMAGE_TYPE = 0xE1A00000;

// Image id word: ImageType in bits 24-31, ImageID in bits 16-23, the version
// word in bits 0-15.
inline uint32_t imageTypeOf(uint32_t idWord) { return idWord >> 24; }
inline uint32_t imageIdOf(uint32_t idWord) { return (idWord >> 16) & 0xFF; }

// Where the encoded version goes: right after the two-letter type code.
constexpr std::size_t kEncodedVersionOffset = 2;

// The encoded version: "%u%u%u", a letter for the distribution type, the
// count. The longest is 8 characters ("15153X15").
using EncodedVersionText = FixedText<16>;

// Splits the version word (Version, Revision, Fixlevel, Dist_type, Dist_cnt),
// traces the parts and gives the encoded version.
EncodedVersionText decodeImageVersion(Output& out, uint32_t idWord);

// Writes the encoded version of `idWord` at offset 2 of the result text, so
// that it joins the type code written before it, and gives it back for the
// trace. A result without a whole type code stays as it is.
EncodedVersionText writeEncodedVersion(Output& out, uint32_t idWord, ImageIdText& result);

// The opening of both readers: traces `heading`, opens the file, traces the
// input line and `readingLine`, reads the first word and rewinds. Returns 0,
// OPEN_FILE_ERROR or INVALID_IMAGE_ERROR (each failure traced).
int openFcImage(Output& out, const char* heading, const char* readingLine, const char* path,
                ImageFile& file, uint32_t& firstWord);

}  // namespace vornup
