// Opening files that another user or a changed file system could have
// replaced: never blocking on a FIFO or device, only regular files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace vornup {

// Opens an existing regular file for reading in binary mode. A FIFO, device,
// socket or directory is refused without blocking (POSIX: opened with
// O_NONBLOCK, checked with fstat, then made blocking again). nullptr when the
// file cannot be opened or is no regular file.
std::FILE* openRegularFileForReading(const std::string& path);

// An existing regular file opened for reading at chosen positions, without a
// stream in between: a reader that keeps its own buffer asks the system once
// per read and never seeks. What openRegularFileForReading refuses, this
// refuses too, without blocking (POSIX: the descriptor stays non-blocking,
// which changes nothing for a regular file). Closed when it goes away.
class ReadOnlyFile {
 public:
  ReadOnlyFile() = default;
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;
  ~ReadOnlyFile() { close(); }

  // Opens `path` and measures it into `size`; false when it cannot be opened,
  // is no regular file or cannot be measured.
  bool open(const char* path, uint64_t& size);
  void close();
  bool isOpen() const { return handle_ != kNoHandle; }

  // Reads up to `count` bytes from `position` into `data`; `arrived` tells
  // how many came, fewer only at the end of the file or on a read error.
  // False on a read error (the bytes before it arrived all the same).
  bool readAt(uint64_t position, uint8_t* data, std::size_t count, std::size_t& arrived) {
    arrived = 0;
    while (arrived < count) {
      const uint64_t at = position + arrived;
      std::size_t got = 0;
      if (at < position || !readOnce(at, data + arrived, count - arrived, got)) return false;
      if (got == 0) break;
      arrived += got;
    }
    return true;
  }

 private:
  // One read of up to `count` bytes at `position`, repeated when a signal
  // interrupts it; `got` is 0 at the end of the file. False on a read error,
  // a closed file or a position beyond what the system can address.
  bool readOnce(uint64_t position, uint8_t* data, std::size_t count, std::size_t& got);

  // A POSIX descriptor or a Windows handle; -1 is neither.
  static constexpr intptr_t kNoHandle = -1;
  intptr_t handle_ = kNoHandle;
};

enum class WriteMode { append, truncate };

// Opens a log or trace file for writing in binary mode, creating it when
// absent. A symbolic link is followed only when the running user owns it
// (POSIX; Windows refuses every reparse point); only a regular file is
// accepted, and a FIFO never blocks. `truncate` empties the file only after
// these checks. nullptr when refused or the file cannot be opened.
// With `text` set the stream is opened in text mode (Windows: "\n" is
// written as CR LF, as a log read in an editor wants it).
std::FILE* openFileForWriting(const std::string& path, WriteMode mode, bool text = false);

// Creates a new file that only the current user can access (POSIX: mode 0600;
// Windows: the access rules inherited from the run's private directory) and
// opens it for writing in binary mode. Fails when anything, a link included,
// already has that name.
std::FILE* createExclusiveFile(const std::string& path);

// What became of reading a small file whole.
enum class BoundedRead {
  read,
  missing,         // nothing has that name
  notRegularFile,  // a directory, FIFO, device or socket (never blocked on)
  foreignLink,     // a link the running user does not own (POSIX: root's are
                   // trusted; Windows refuses every reparse point)
  tooLarge,        // more than the limit
  unreadable,      // it could not be opened or read
};

// Reads the regular file at `path` into `content` when it holds at most
// `limit` bytes.
BoundedRead readBoundedFile(const std::string& path, std::size_t limit, std::string& content);

// Reads an opened file whole when it holds at most `limit` bytes (the
// hosts' readBoundedFile share it).
BoundedRead readOpenedFile(ReadOnlyFile& file, uint64_t size, std::size_t limit,
                           std::string& content);

}  // namespace vornup
