#include "images/all_checksum.h"

#include <cstring>

#include "images/byte_reader.h"
#include "images/image_status.h"

namespace vornup {

namespace {

// The file is read through one buffer of this size.
constexpr std::size_t kChecksumChunkBytes = 64 * 1024;
constexpr std::size_t kLaneWords = 32;
constexpr std::size_t kLaneBytes = kLaneWords * 4;

}  // namespace

// Rotating by one bit per word means that word i of n ends up rotated by
// (n - 1 - i) bits, and rotation by 32 is no rotation. So all words whose
// index has the same remainder modulo 32 are rotated alike and can be XORed
// together first; XOR also commutes with the byte order, so the words are
// folded as raw bytes and turned into big-endian numbers only once per lane.
uint32_t foldAllChecksumWords(uint32_t sum, const uint8_t* bytes, std::size_t wordCount) {
  uint64_t lanes[kLaneBytes / 8] = {};
  std::size_t byteCount = wordCount * 4;
  std::size_t whole = byteCount - byteCount % kLaneBytes;
  for (std::size_t offset = 0; offset < whole; offset += kLaneBytes) {
    for (std::size_t i = 0; i < kLaneBytes / 8; ++i) {
      uint64_t word;
      std::memcpy(&word, bytes + offset + 8 * i, sizeof word);
      lanes[i] ^= word;
    }
  }
  uint8_t laneBytes[kLaneBytes];
  std::memcpy(laneBytes, lanes, kLaneBytes);
  for (std::size_t offset = whole; offset < byteCount; ++offset) {
    laneBytes[offset - whole] ^= bytes[offset];
  }
  ByteReader lanesReader(laneBytes, kLaneBytes);
  uint32_t folded = rotateLeft(sum, static_cast<unsigned>(wordCount % kLaneWords));
  for (std::size_t lane = 0; lane < kLaneWords; ++lane) {
    unsigned rotation = static_cast<unsigned>((wordCount + kLaneWords - 1 - lane) % kLaneWords);
    folded ^= rotateLeft(lanesReader.be32(lane * 4), rotation);
  }
  return folded;
}

uint32_t computeAllChecksum(ImageFile& file, uint64_t wordCount) {
  uint64_t start = file.position();
  uint32_t sum = kAllChecksumStart;
  uint8_t buffer[kChecksumChunkBytes];
  uint64_t remaining = wordCount;
  while (remaining > 0) {
    std::size_t words = remaining < kChecksumChunkBytes / 4 ? static_cast<std::size_t>(remaining)
                                                            : kChecksumChunkBytes / 4;
    if (file.readZeroFilled(buffer, words * 4) == 0) break;
    sum = foldAllChecksumWords(sum, buffer, words);
    remaining -= words;
  }
  // Words past the end of the file are zero: each one only rotates the sum.
  sum = rotateLeft(sum, static_cast<unsigned>(remaining % 32));
  if (!file.seek(start)) return statusBits(INVALID_IMAGE_READ_ERROR);
  return rotateLeft(sum, 1);
}

}  // namespace vornup
