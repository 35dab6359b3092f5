// The checksum of ALL files.
//
// The sum starts at 0x55555555 rotated right by one bit; for every 32-bit
// big-endian word, in file order, it is rotated left by one bit and the word
// is XORed into it; the result is the sum rotated left once more. A good file
// ends with a word that brings the result to 0.
#pragma once

#include <cstddef>
#include <cstdint>

#include "images/image_file.h"

namespace vornup {

constexpr uint32_t kAllChecksumStart = 0xAAAAAAAA;  // 0x55555555 rotated right by one

inline uint32_t rotateLeft(uint32_t value, unsigned count) {
  count &= 31;
  return (value << count) | (value >> ((32 - count) & 31));
}

// Continues `sum` over `wordCount` big-endian words held in `bytes`
// (4 * wordCount bytes), exactly as the word-by-word rule does.
uint32_t foldAllChecksumWords(uint32_t sum, const uint8_t* bytes, std::size_t wordCount);

// Checksums `wordCount` words from the file's current position and returns to
// it. Words beyond the end of the file count as zero. Returns the checksum
// (0 for a good file), or 0xFFF90001 when the file cannot return to where it
// was.
uint32_t computeAllChecksum(ImageFile& file, uint64_t wordCount);

}  // namespace vornup
