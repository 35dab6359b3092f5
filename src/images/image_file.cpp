#include "images/image_file.h"

#include <algorithm>
#include <cstring>

#include "platform/safe_files.h"
#include "platform/stream_position.h"

namespace vornup {

bool ImageFile::open(const char* path) {
  close();
  file_ = openRegularFileForReading(path);
  if (file_ == nullptr) return false;
  // The stream's own buffer is switched off: every read it does is one the
  // block below asked for, and a seek costs no refill.
  std::setvbuf(file_, nullptr, _IONBF, 0);
  if (!measureStream(file_, size_)) {
    close();
    return false;
  }
  // Measured without a seek: the system's position is still at the start.
  filePosition_ = 0;
  return true;
}

void ImageFile::close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  size_ = 0;
  position_ = 0;
  filePosition_ = kUnknownPosition;
  blockStart_ = 0;
  blockLength_ = 0;
}

bool ImageFile::seek(uint64_t position) {
  // Inside the kept block (or just after it) and where the system already
  // stands, nothing needs to move.
  if (!inBlock(position) && position != filePosition_) {
    if (file_ == nullptr || !seekStream(file_, position)) return false;
    filePosition_ = position;
  }
  position_ = position;
  return true;
}

bool ImageFile::placeFile() {
  if (filePosition_ == position_) return true;
  if (file_ == nullptr || !seekStream(file_, position_)) {
    filePosition_ = kUnknownPosition;
    return false;
  }
  filePosition_ = position_;
  return true;
}

// A read error (a device error, a path that became a directory) leaves the
// bytes that did not arrive missing, and the system's position unknown.
std::size_t ImageFile::readFile(uint8_t* data, std::size_t count) {
  if (file_ == nullptr) return 0;
  const std::size_t arrived = std::fread(data, 1, count, file_);
  if (std::ferror(file_)) {
    std::clearerr(file_);
    filePosition_ = kUnknownPosition;
    return arrived;
  }
  // The end of the file is no lasting state: a file that grew is read as it
  // is now.
  std::clearerr(file_);
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
