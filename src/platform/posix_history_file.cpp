#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/history_file.h"

namespace vornup {
namespace {

constexpr char kDefaultHistoryPath[] = "/var/lib/vornup/history.jsonl";
constexpr mode_t kHistoryFileMode = 0644;
constexpr mode_t kHistoryDirectoryMode = 0755;

std::string systemReason() { return std::strerror(errno); }

// Opens the history for appending under the log file's rules; -1 with the
// reason when refused.
int openForAppending(const std::string& path, std::string& why) {
  int flags = O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
  struct stat link;
  if (::lstat(path.c_str(), &link) == 0) {
    if (S_ISLNK(link.st_mode)) {
      if (link.st_uid != ::geteuid()) {
        why = "it is a link owned by another user";
        return -1;
      }
    } else if (!S_ISREG(link.st_mode)) {
      why = "it is not a regular file";
      return -1;
    } else {
      flags |= O_NOFOLLOW;
    }
  } else if (errno == ENOENT) {
    flags |= O_NOFOLLOW;
  } else {
    why = systemReason();
    return -1;
  }
  const int descriptor = ::open(path.c_str(), flags, kHistoryFileMode);
  if (descriptor < 0) {
    why = systemReason();
    return -1;
  }
  struct stat info;
  if (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
    why = "it is not a regular file";
    ::close(descriptor);
    return -1;
  }
  return descriptor;
}

void makeParentDirectory(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos || slash == 0) return;
  ::mkdir(path.substr(0, slash).c_str(), kHistoryDirectoryMode);
}

// Whether the file's last byte is a line end (an empty file counts as one).
bool endsWithLineEnd(int descriptor, off_t size) {
  if (size <= 0) return true;
  char last = 0;
  ssize_t got;
  do {
    got = ::pread(descriptor, &last, 1, size - 1);
  } while (got < 0 && errno == EINTR);
  // An unreadable end (the file was opened for writing only) is taken as
  // whole; the descriptor below is opened for reading too.
  return got != 1 || last == '\n';
}

}  // namespace

std::string defaultHistoryPath() { return kDefaultHistoryPath; }

bool appendHistoryLine(const std::string& path, const std::string& line, uint64_t rotateAt,
                       std::string& why) {
  makeParentDirectory(path);
  int descriptor = openForAppending(path, why);
  if (descriptor < 0) return false;
  struct stat info;
  if (::fstat(descriptor, &info) == 0 && static_cast<uint64_t>(info.st_size) >= rotateAt) {
    ::close(descriptor);
    const std::string older = path + ".1";
    if (std::rename(path.c_str(), older.c_str()) != 0) {
      why = "cannot rotate it: " + systemReason();
      return false;
    }
    descriptor = openForAppending(path, why);
    if (descriptor < 0) return false;
    ::fstat(descriptor, &info);
  }
  // Read the last byte through a second descriptor: the appending one is
  // write-only.
  bool whole = true;
  const int reader = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (reader >= 0) {
    struct stat readInfo;
    if (::fstat(reader, &readInfo) == 0 && readInfo.st_ino == info.st_ino &&
        readInfo.st_dev == info.st_dev) {
      whole = endsWithLineEnd(reader, readInfo.st_size);
    }
    ::close(reader);
  }
  const std::string text = whole ? line : "\n" + line;
  ssize_t written;
  do {
    written = ::write(descriptor, text.data(), text.size());
  } while (written < 0 && errno == EINTR);
  const bool complete = written == static_cast<ssize_t>(text.size());
  if (!complete) why = written < 0 ? systemReason() : "the disk is full";
  ::close(descriptor);
  return complete;
}

}  // namespace vornup
