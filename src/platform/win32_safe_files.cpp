#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include "platform/safe_files.h"

namespace vornup {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// A handle to a plain file on disk: no directory, device, pipe or reparse
// point (a link).
bool isPlainDiskFile(HANDLE file) {
  if (GetFileType(file) != FILE_TYPE_DISK) return false;
  BY_HANDLE_FILE_INFORMATION info;
  return GetFileInformationByHandle(file, &info) &&
         (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
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
  // Without FILE_FLAG_BACKUP_SEMANTICS a directory is not opened at all.
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  return plainFileStream(file, _O_RDONLY, "rb");
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

}  // namespace vornup
