#include "images/image_file.h"

#include <algorithm>
#include <cstring>

namespace vornup {

bool ImageFile::open(const char* path) {
  close();
  return file_.open(path, size_);
}

void ImageFile::close() {
  file_.close();
  size_ = 0;
  position_ = 0;
  blockStart_ = 0;
  blockLength_ = 0;
}

// A read error (a device error, a path that became a directory) leaves the
// bytes that did not arrive missing.
std::size_t ImageFile::readFile(uint64_t position, uint8_t* data, std::size_t count) {
  std::size_t arrived = 0;
  file_.readAt(position, data, count, arrived);
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
  if (wanted == 0 || !isOpen()) return copied;
  // Large reads go straight to the caller, and so do reads past the end the
  // file had when it was opened: they ask for just the bytes wanted (so a
  // file that grew since is read as it is now) and leave the kept block.
  if (wanted >= kBlockBytes || position_ >= size_) {
    const std::size_t arrived = readFile(position_, data + copied, wanted);
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
  blockLength_ = readFile(position_, block_, fill);
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
