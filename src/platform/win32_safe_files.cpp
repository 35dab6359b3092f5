#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <algorithm>

#include "platform/safe_files.h"

namespace vornup {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// The most one system call is asked to read.
constexpr DWORD kLargestRead = DWORD(1) << 30;

// A handle to a plain file on disk: no directory, device, pipe or reparse
// point (a link).
bool isPlainDiskFile(HANDLE file) {
  if (GetFileType(file) != FILE_TYPE_DISK) return false;
  BY_HANDLE_FILE_INFORMATION info;
  return GetFileInformationByHandle(file, &info) &&
         (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
}

// Opens an existing file for reading, sharing it with every other opener.
// Without FILE_FLAG_BACKUP_SEMANTICS a directory is not opened at all.
HANDLE openForReading(const char* path) {
  return CreateFileA(path, GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                     nullptr);
}

// Keeps `file` only when it is a plain disk file and wraps it in a stream.
// Closes it otherwise.
std::FILE* plainFileStream(HANDLE file, int flags, const char* mode, bool text = false) {
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  if (!isPlainDiskFile(file)) {
    CloseHandle(file);
    return nullptr;
  }
  int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(file), flags | (text ? _O_TEXT : _O_BINARY));
  if (descriptor == -1) {
    CloseHandle(file);
    return nullptr;
  }
  std::FILE* stream = _fdopen(descriptor, mode);
  if (stream == nullptr) _close(descriptor);
  return stream;
}

}  // namespace

std::FILE* openRegularFileForReading(const std::string& path) {
  return plainFileStream(openForReading(path.c_str()), _O_RDONLY, "rb");
}

bool ReadOnlyFile::open(const char* path, uint64_t& size) {
  close();
  HANDLE file = openForReading(path);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER length;
  if (!isPlainDiskFile(file) || !GetFileSizeEx(file, &length) || length.QuadPart < 0) {
    CloseHandle(file);
    return false;
  }
  handle_ = reinterpret_cast<intptr_t>(file);
  size = static_cast<uint64_t>(length.QuadPart);
  return true;
}

void ReadOnlyFile::close() {
  if (handle_ != kNoHandle) CloseHandle(reinterpret_cast<HANDLE>(handle_));
  handle_ = kNoHandle;
}

bool ReadOnlyFile::readOnce(uint64_t position, uint8_t* data, std::size_t count,
                            std::size_t& got) {
  if (handle_ == kNoHandle || position > uint64_t(INT64_MAX)) return false;
  // The position travels with the call; the handle's own is not used.
  OVERLAPPED where = {};
  where.Offset = static_cast<DWORD>(position);
  where.OffsetHigh = static_cast<DWORD>(position >> 32);
  const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(count, kLargestRead));
  DWORD read = 0;
  if (!ReadFile(reinterpret_cast<HANDLE>(handle_), data, chunk, &read, &where)) {
    read = 0;
    if (GetLastError() != ERROR_HANDLE_EOF) return false;
  }
  got = read;
  return true;
}

std::FILE* openFileForWriting(const std::string& path, WriteMode mode, bool text) {
  // The reparse point itself is opened, never what it points to, and then
  // refused: no link is followed.
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  if (mode == WriteMode::truncate && isPlainDiskFile(file)) {
    // Emptied only now that the checks passed.
    LARGE_INTEGER start = {};
    if (!SetFilePointerEx(file, start, nullptr, FILE_BEGIN) || !SetEndOfFile(file)) {
      CloseHandle(file);
      return nullptr;
    }
  }
  if (mode == WriteMode::append) {
    return plainFileStream(file, _O_WRONLY | _O_APPEND, text ? "a" : "ab", text);
  }
  return plainFileStream(file, _O_WRONLY, text ? "w" : "wb", text);
}

std::FILE* createExclusiveFile(const std::string& path) {
  // CREATE_NEW fails on any existing name, a link included; the new file
  // takes the access rules of its directory.
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  return plainFileStream(file, _O_WRONLY, "wb");
}

BoundedRead readBoundedFile(const std::string& path, std::size_t limit, std::string& content) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? BoundedRead::missing
                                                                          : BoundedRead::unreadable;
  }
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return BoundedRead::foreignLink;
  if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0) {
    return BoundedRead::notRegularFile;
  }
  ReadOnlyFile file;
  uint64_t size = 0;
  if (!file.open(path.c_str(), size)) return BoundedRead::notRegularFile;
  return readOpenedFile(file, size, limit, content);
}

}  // namespace vornup
