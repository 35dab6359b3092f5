#include "platform/stream_position.h"

#include <sys/stat.h>
#include <sys/types.h>

#include <limits>

namespace vornup {
namespace {

#ifdef _WIN32
using StreamOffset = long long;
int seekTo(std::FILE* stream, StreamOffset offset, int whence) {
  return _fseeki64(stream, offset, whence);
}
bool fileLength(std::FILE* stream, uint64_t& size) {
  struct _stat64 info;
  if (_fstat64(_fileno(stream), &info) != 0 || info.st_size < 0) return false;
  size = static_cast<uint64_t>(info.st_size);
  return true;
}
#else
using StreamOffset = off_t;
int seekTo(std::FILE* stream, StreamOffset offset, int whence) {
  return fseeko(stream, offset, whence);
}
bool fileLength(std::FILE* stream, uint64_t& size) {
  struct stat info;
  if (fstat(fileno(stream), &info) != 0 || info.st_size < 0) return false;
  size = static_cast<uint64_t>(info.st_size);
  return true;
}
#endif

}  // namespace

bool seekStream(std::FILE* stream, uint64_t position) {
  if (position > static_cast<uint64_t>(std::numeric_limits<StreamOffset>::max())) return false;
  return seekTo(stream, static_cast<StreamOffset>(position), SEEK_SET) == 0;
}

bool measureStream(std::FILE* stream, uint64_t& size) { return fileLength(stream, size); }

}  // namespace vornup
