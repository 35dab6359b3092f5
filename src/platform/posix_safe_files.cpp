#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/safe_files.h"

namespace vornup {
namespace {

// Mode of created log and trace files before the umask, as fopen makes them.
constexpr mode_t kNewFileMode = 0666;
constexpr mode_t kPrivateFileMode = 0600;

// Keeps `descriptor`, opened with `openFlags`, only when it is a regular
// file; makes it blocking and wraps it in a stream. Closes it otherwise.
std::FILE* regularFileStream(int descriptor, int openFlags, const char* mode) {
  if (descriptor < 0) return nullptr;
  struct stat info;
  // F_SETFL ignores the access mode and the creation flags, so the flags
  // the file was opened with need not be asked for again.
  if (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode) ||
      ::fcntl(descriptor, F_SETFL, openFlags & ~O_NONBLOCK) != 0) {
    ::close(descriptor);
    return nullptr;
  }
  std::FILE* stream = ::fdopen(descriptor, mode);
  if (stream == nullptr) ::close(descriptor);
  return stream;
}

}  // namespace

std::FILE* openRegularFileForReading(const std::string& path) {
  constexpr int flags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
  return regularFileStream(::open(path.c_str(), flags), flags, "rb");
}

std::FILE* openFileForWriting(const std::string& path, WriteMode mode, bool) {
  int flags = O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
  if (mode == WriteMode::append) flags |= O_APPEND;
  struct stat link;
  if (::lstat(path.c_str(), &link) == 0) {
    if (S_ISLNK(link.st_mode)) {
      // In a shared directory another user may have planted the link.
      if (link.st_uid != ::geteuid()) return nullptr;
    } else if (!S_ISREG(link.st_mode)) {
      return nullptr;
    } else {
      flags |= O_NOFOLLOW;
    }
  } else if (errno == ENOENT) {
    // A link made after the check is not followed either.
    flags |= O_NOFOLLOW;
  } else {
    return nullptr;
  }
  int descriptor = ::open(path.c_str(), flags, kNewFileMode);
  std::FILE* stream =
      regularFileStream(descriptor, flags, mode == WriteMode::append ? "ab" : "wb");
  if (stream != nullptr && mode == WriteMode::truncate && ::ftruncate(::fileno(stream), 0) != 0) {
    std::fclose(stream);
    return nullptr;
  }
  return stream;
}

std::FILE* createExclusiveFile(const std::string& path) {
  constexpr int flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC;
  return regularFileStream(::open(path.c_str(), flags, kPrivateFileMode), flags, "wb");
}

}  // namespace vornup
