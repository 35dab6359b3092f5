#include "images/image_file.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <ios>
#include <limits>

namespace vornup {

bool ImageFile::open(const char* path) {
  close();
  // The file's own buffer is switched off: every read it does is one the
  // block below asked for, and a seek costs no refill.
  file_.pubsetbuf(nullptr, 0);
  if (file_.open(path, std::ios::in | std::ios::binary) == nullptr) return false;
  std::streampos end = file_.pubseekoff(0, std::ios::end, std::ios::in);
  if (end == std::streampos(-1)) {
    close();
    return false;
  }
  size_ = static_cast<uint64_t>(static_cast<std::streamoff>(end));
  // The system's position stays at the end until the first read needs the
  // start: a file that is only measured costs no seek back.
  filePosition_ = size_;
  return true;
}

void ImageFile::close() {
  if (file_.is_open()) file_.close();
  size_ = 0;
  position_ = 0;
  filePosition_ = kUnknownPosition;
  blockStart_ = 0;
  blockLength_ = 0;
}

bool ImageFile::seek(uint64_t position) {
  if (position > static_cast<uint64_t>(std::numeric_limits<std::streamoff>::max())) return false;
  // Inside the kept block (or just after it) and where the system already
  // stands, nothing needs to move.
  if (!inBlock(position) && position != filePosition_) {
    std::streampos target(static_cast<std::streamoff>(position));
    if (file_.pubseekpos(target, std::ios::in) != target) return false;
    filePosition_ = position;
  }
  position_ = position;
  return true;
}

bool ImageFile::placeFile() {
  if (filePosition_ == position_) return true;
  std::streampos target(static_cast<std::streamoff>(position_));
  if (file_.pubseekpos(target, std::ios::in) != target) {
    filePosition_ = kUnknownPosition;
    return false;
  }
  filePosition_ = position_;
  return true;
}

// The standard file buffer reports some read errors (a device error, a path
// that is a directory) by throwing; here they are what they are for the
// readers, bytes that did not arrive.
std::size_t ImageFile::readFile(uint8_t* data, std::size_t count) {
  std::streamsize got = 0;
  try {
    // Callers read through buffers of a few KiB, far below what one call takes.
    got = file_.sgetn(reinterpret_cast<char*>(data), static_cast<std::streamsize>(count));
  } catch (const std::exception&) {
    filePosition_ = kUnknownPosition;
    return 0;
  }
  std::size_t arrived = got > 0 ? static_cast<std::size_t>(got) : 0;
  filePosition_ += arrived;
  return arrived;
}

std::size_t ImageFile::read(uint8_t* data, std::size_t count) {
  std::size_t copied = 0;
  if (inKeptBytes(position_)) {
    const std::size_t offset = static_cast<std::size_t>(position_ - blockStart_);
    copied = std::min(count, blockLength_ - offset);
    std::memcpy(data, block_ + offset, copied);
    position_ += copied;
  }
  const std::size_t wanted = count - copied;
  if (wanted == 0 || !placeFile()) return copied;
  // Large reads go straight to the caller, and so do reads past the end the
  // file had when it was opened: they ask for just the bytes wanted (so a
  // file that grew since is read as it is now) and leave the kept block.
  if (wanted >= kBlockBytes || position_ >= size_) {
    const std::size_t arrived = readFile(data + copied, wanted);
    position_ += arrived;
    return copied + arrived;
  }
  // A new block: as much of the file as fits from here, but no more than the
  // file held when it was opened, unless more is wanted.
  std::size_t fill = kBlockBytes;
  if (size_ - position_ < kBlockBytes) {
    fill = std::max(wanted, static_cast<std::size_t>(size_ - position_));
  }
  blockStart_ = position_;
  blockLength_ = readFile(block_, fill);
  const std::size_t taken = std::min(wanted, blockLength_);
  std::memcpy(data + copied, block_, taken);
  position_ += taken;
  return copied + taken;
}

std::size_t ImageFile::readZeroFilled(uint8_t* data, std::size_t count) {
  std::size_t arrived = read(data, count);
  std::memset(data + arrived, 0, count - arrived);
  return arrived;
}

}  // namespace vornup
