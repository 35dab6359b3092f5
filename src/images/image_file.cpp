#include "images/image_file.h"

#include <cstring>
#include <exception>
#include <ios>
#include <limits>

namespace vornup {

bool ImageFile::open(const char* path) {
  close();
  if (buffer_.open(path, std::ios::in | std::ios::binary) == nullptr) return false;
  std::streampos end = buffer_.pubseekoff(0, std::ios::end, std::ios::in);
  if (end == std::streampos(-1) || buffer_.pubseekpos(0, std::ios::in) != std::streampos(0)) {
    close();
    return false;
  }
  size_ = static_cast<uint64_t>(static_cast<std::streamoff>(end));
  position_ = 0;
  return true;
}

void ImageFile::close() {
  if (buffer_.is_open()) buffer_.close();
  size_ = 0;
  position_ = 0;
}

bool ImageFile::seek(uint64_t position) {
  if (position > static_cast<uint64_t>(std::numeric_limits<std::streamoff>::max())) return false;
  std::streampos target(static_cast<std::streamoff>(position));
  if (buffer_.pubseekpos(target, std::ios::in) != target) return false;
  position_ = position;
  return true;
}

// The standard file buffer reports some read errors (a device error, a path
// that is a directory) by throwing; here they are what they are for the
// readers, bytes that did not arrive.
std::size_t ImageFile::read(uint8_t* data, std::size_t count) {
  std::streamsize got = 0;
  try {
    // Callers read through buffers of a few KiB, far below what one call takes.
    got = buffer_.sgetn(reinterpret_cast<char*>(data), static_cast<std::streamsize>(count));
  } catch (const std::exception&) {
    got = 0;
  }
  std::size_t arrived = got > 0 ? static_cast<std::size_t>(got) : 0;
  position_ += arrived;
  return arrived;
}

std::size_t ImageFile::readZeroFilled(uint8_t* data, std::size_t count) {
  std::size_t arrived = read(data, count);
  std::memset(data + arrived, 0, count - arrived);
  return arrived;
}

bool ImageFile::readByte(uint8_t& byte) {
  std::filebuf::int_type c = std::filebuf::traits_type::eof();
  try {
    c = buffer_.sbumpc();
  } catch (const std::exception&) {
    return false;
  }
  if (std::filebuf::traits_type::eq_int_type(c, std::filebuf::traits_type::eof())) return false;
  byte = static_cast<uint8_t>(std::filebuf::traits_type::to_char_type(c));
  ++position_;
  return true;
}

}  // namespace vornup
