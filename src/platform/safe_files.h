// Opening files that another user or a changed file system could have
// replaced: never blocking on a FIFO or device, only regular files.
#pragma once

#include <cstdio>
#include <string>

namespace vornup {

// Opens an existing regular file for reading in binary mode. A FIFO, device,
// socket or directory is refused without blocking (POSIX: opened with
// O_NONBLOCK, checked with fstat, then made blocking again). nullptr when the
// file cannot be opened or is no regular file.
std::FILE* openRegularFileForReading(const std::string& path);

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

}  // namespace vornup
