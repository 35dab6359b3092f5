// Reads numbers of a given byte order out of a bounded byte buffer.
//
// Image headers are read into zero-filled buffers; a field that lies (partly)
// beyond the bytes the buffer holds reads as zero, the same value a short
// file leaves in the zero-filled header. Nothing is ever read outside the
// buffer, and the result does not depend on the host's byte order.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vornup {

class ByteReader {
 public:
  ByteReader(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  uint8_t u8(std::size_t offset) const { return offset < size_ ? data_[offset] : 0; }

  uint16_t le16(std::size_t offset) const {
    return static_cast<uint16_t>(u8(offset) | (u8(offset + 1) << 8));
  }

  uint32_t le32(std::size_t offset) const {
    return static_cast<uint32_t>(u8(offset)) | (static_cast<uint32_t>(u8(offset + 1)) << 8) |
           (static_cast<uint32_t>(u8(offset + 2)) << 16) |
           (static_cast<uint32_t>(u8(offset + 3)) << 24);
  }

  uint32_t be32(std::size_t offset) const {
    return (static_cast<uint32_t>(u8(offset)) << 24) |
           (static_cast<uint32_t>(u8(offset + 1)) << 16) |
           (static_cast<uint32_t>(u8(offset + 2)) << 8) | static_cast<uint32_t>(u8(offset + 3));
  }

 private:
  const uint8_t* data_;
  std::size_t size_;
};

}  // namespace vornup
