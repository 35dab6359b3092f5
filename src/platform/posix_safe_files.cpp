#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <limits>

#include "platform/safe_files.h"

namespace vornup {
namespace {

// Mode of created log and trace files before the umask, as fopen makes them.
constexpr mode_t kNewFileMode = 0666;
constexpr mode_t kPrivateFileMode = 0600;
// Files are read without blocking: a FIFO or device in a file's place is
// refused after the open instead of holding the run in it.
constexpr int kReadFlags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
// The most one system call is asked to read.
constexpr std::size_t kLargestRead = std::size_t(1) << 30;

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
  return regularFileStream(::open(path.c_str(), kReadFlags), kReadFlags, "rb");
}

bool ReadOnlyFile::open(const char* path, uint64_t& size) {
  close();
  const int descriptor = ::open(path, kReadFlags);
  if (descriptor < 0) return false;
  struct stat info;
  if (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0) {
    ::close(descriptor);
    return false;
  }
  handle_ = descriptor;
  size = static_cast<uint64_t>(info.st_size);
  return true;
}

void ReadOnlyFile::close() {
  if (handle_ != kNoHandle) ::close(static_cast<int>(handle_));
  handle_ = kNoHandle;
}

bool ReadOnlyFile::readOnce(uint64_t position, uint8_t* data, std::size_t count,
                            std::size_t& got) {
  if (handle_ == kNoHandle || position > static_cast<uint64_t>(std::numeric_limits<off_t>::max())) {
    return false;
  }
  const std::size_t chunk = std::min(count, kLargestRead);
  for (;;) {
    const ssize_t read =
        ::pread(static_cast<int>(handle_), data, chunk, static_cast<off_t>(position));
    if (read >= 0) {
      got = static_cast<std::size_t>(read);
      return true;
    }
    if (errno != EINTR) return false;
  }
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

BoundedRead readBoundedFile(const std::string& path, std::size_t limit, std::string& content) {
  struct stat link;
  if (::lstat(path.c_str(), &link) != 0) {
    return errno == ENOENT || errno == ENOTDIR ? BoundedRead::missing : BoundedRead::unreadable;
  }
  // In a shared directory another user may have planted the link.
  if (S_ISLNK(link.st_mode) && link.st_uid != ::geteuid() && link.st_uid != 0) {
    return BoundedRead::foreignLink;
  }
  struct stat target;
  if (::stat(path.c_str(), &target) != 0) {
    return errno == ENOENT ? BoundedRead::missing : BoundedRead::unreadable;
  }
  if (!S_ISREG(target.st_mode)) return BoundedRead::notRegularFile;
  ReadOnlyFile file;
  uint64_t size = 0;
  // Replaced by a FIFO after the check: still refused, without blocking.
  if (!file.open(path.c_str(), size)) return BoundedRead::unreadable;
  return readOpenedFile(file, size, limit, content);
}

}  // namespace vornup
