// A read-only image file with 64-bit positions.
//
// The verifiers read images as a stream through small fixed buffers, so the
// memory they use does not grow with the image. Positions and sizes are 64-bit
// on every host, so a file of several GiB is measured as what it is and never
// wraps into a small, acceptable length.
//
// The readers jump about a small file (a header, a word at its end, the whole
// file again for a checksum), so the file keeps the last block it read and
// serves every read and seek that falls inside it without asking the system
// again. Reads of a block's size or more go straight to the caller's buffer.
// The file is read by position, so a seek never costs a system call.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/safe_files.h"

namespace vornup {

class ImageFile {
 public:
  ImageFile() = default;
  ImageFile(const ImageFile&) = delete;
  ImageFile& operator=(const ImageFile&) = delete;

  ~ImageFile() { close(); }

  // Opens the file for binary reading and measures it; false when either
  // fails. Only a regular file is opened, and a FIFO or device in its place
  // never blocks. The file is closed when the object goes away.
  bool open(const char* path);

  bool isOpen() const { return file_.isOpen(); }
  uint64_t size() const { return size_; }
  uint64_t position() const { return position_; }
  // True once the position has reached (or passed) the end of the file.
  bool atEnd() const { return position_ >= size_; }

  // Moves to an absolute position; positions past the end are allowed (the
  // next read then meets the end of the file). False when no file is open.
  bool seek(uint64_t position) {
    position_ = position;
    return isOpen();
  }

  // Reads up to `count` bytes; returns how many arrived.
  std::size_t read(uint8_t* data, std::size_t count);
  // Reads exactly `count` bytes and fills what did not arrive with zeros;
  // returns how many arrived.
  std::size_t readZeroFilled(uint8_t* data, std::size_t count);
  // Reads one byte; false at the end of the file or on a read failure.
  bool readByte(uint8_t& byte) {
    if (!inKeptBytes(position_)) return read(&byte, 1) == 1;
    byte = block_[position_ - blockStart_];
    ++position_;
    return true;
  }

  // Bytes of the block kept from the last read.
  static constexpr std::size_t kBlockBytes = 8192;

 private:
  void close();
  // Whether the byte at `position` is in the kept block.
  bool inKeptBytes(uint64_t position) const {
    return position >= blockStart_ && position - blockStart_ < blockLength_;
  }
  // Reads from `position` of the file; returns how many bytes arrived.
  std::size_t readFile(uint64_t position, uint8_t* data, std::size_t count);

  ReadOnlyFile file_;
  uint64_t size_ = 0;
  uint64_t position_ = 0;
  // The kept block: bytes [blockStart_, blockStart_ + blockLength_) of the
  // file.
  uint64_t blockStart_ = 0;
  std::size_t blockLength_ = 0;
  uint8_t block_[kBlockBytes];
};

}  // namespace vornup
