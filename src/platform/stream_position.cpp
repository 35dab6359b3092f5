#include "platform/stream_position.h"

#include <sys/types.h>

#include <limits>

namespace vornup {
namespace {

#ifdef _WIN32
using StreamOffset = long long;
int seekTo(std::FILE* stream, StreamOffset offset, int whence) {
  return _fseeki64(stream, offset, whence);
}
StreamOffset tell(std::FILE* stream) { return _ftelli64(stream); }
#else
using StreamOffset = off_t;
int seekTo(std::FILE* stream, StreamOffset offset, int whence) {
  return fseeko(stream, offset, whence);
}
StreamOffset tell(std::FILE* stream) { return ftello(stream); }
#endif

}  // namespace

bool seekStream(std::FILE* stream, uint64_t position) {
  if (position > static_cast<uint64_t>(std::numeric_limits<StreamOffset>::max())) return false;
  return seekTo(stream, static_cast<StreamOffset>(position), SEEK_SET) == 0;
}

bool measureStream(std::FILE* stream, uint64_t& size) {
  if (seekTo(stream, 0, SEEK_END) != 0) return false;
  const StreamOffset end = tell(stream);
  if (end < 0) return false;
  size = static_cast<uint64_t>(end);
  return true;
}

}  // namespace vornup
