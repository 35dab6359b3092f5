// Reading a small file whole, the part both hosts share (safe_files.h).
#include "platform/safe_files.h"

namespace vornup {

BoundedRead readOpenedFile(ReadOnlyFile& file, uint64_t size, std::size_t limit,
                           std::string& content) {
  if (size > limit) return BoundedRead::tooLarge;
  // One byte more than the limit shows a file that grew after it was measured.
  std::string buffer(limit + 1, '\0');
  std::size_t arrived = 0;
  if (!file.readAt(0, reinterpret_cast<uint8_t*>(&buffer[0]), buffer.size(), arrived)) {
    return BoundedRead::unreadable;
  }
  if (arrived > limit) return BoundedRead::tooLarge;
  buffer.resize(arrived);
  content.swap(buffer);
  return BoundedRead::read;
}

}  // namespace vornup
