#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdlib>

#include "platform/history_file.h"

namespace vornup {
namespace {

constexpr char kHistoryFolder[] = "\\vornup";
constexpr char kHistoryFileName[] = "\\history.jsonl";
constexpr char kFallbackProgramData[] = "C:\\ProgramData";
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

std::string systemReason() {
  char text[256] = {};
  const DWORD length =
      FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                     GetLastError(), 0, text, sizeof text, nullptr);
  std::string reason(text, length);
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == '.')) {
    reason.pop_back();
  }
  return reason.empty() ? "system error " + std::to_string(GetLastError()) : reason;
}

// FILE_APPEND_DATA without FILE_WRITE_DATA: every write goes to the end of
// the file in one step. The reparse point itself is opened and then refused.
HANDLE openForAppending(const std::string& path, std::string& why) {
  HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA | FILE_READ_DATA | SYNCHRONIZE |
                                              FILE_READ_ATTRIBUTES,
                            kShareAll, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    why = systemReason();
    return file;
  }
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileType(file) != FILE_TYPE_DISK || !GetFileInformationByHandle(file, &info) ||
      (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
    why = "it is not a regular file";
    CloseHandle(file);
    return INVALID_HANDLE_VALUE;
  }
  return file;
}

void makeParentDirectory(const std::string& path) {
  const std::size_t separator = path.find_last_of("\\/");
  if (separator == std::string::npos || separator == 0) return;
  CreateDirectoryA(path.substr(0, separator).c_str(), nullptr);
}

bool endsWithLineEnd(HANDLE file, LONGLONG size) {
  if (size <= 0) return true;
  OVERLAPPED where = {};
  where.Offset = static_cast<DWORD>(size - 1);
  where.OffsetHigh = static_cast<DWORD>(static_cast<ULONGLONG>(size - 1) >> 32);
  char last = 0;
  DWORD read = 0;
  return !ReadFile(file, &last, 1, &read, &where) || read != 1 || last == '\n';
}

}  // namespace

std::string defaultHistoryPath() {
  const char* base = std::getenv("ProgramData");
  const std::string root = base != nullptr && *base != '\0' ? base : kFallbackProgramData;
  return root + kHistoryFolder + kHistoryFileName;
}

bool appendHistoryLine(const std::string& path, const std::string& line, uint64_t rotateAt,
                       std::string& why) {
  makeParentDirectory(path);
  HANDLE file = openForAppending(path, why);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size = {};
  if (GetFileSizeEx(file, &size) && static_cast<uint64_t>(size.QuadPart) >= rotateAt) {
    CloseHandle(file);
    const std::string older = path + ".1";
    if (!MoveFileExA(path.c_str(), older.c_str(), MOVEFILE_REPLACE_EXISTING)) {
      why = "cannot rotate it: " + systemReason();
      return false;
    }
    file = openForAppending(path, why);
    if (file == INVALID_HANDLE_VALUE) return false;
    size.QuadPart = 0;
  }
  const std::string text = endsWithLineEnd(file, size.QuadPart) ? line : "\n" + line;
  DWORD written = 0;
  const bool complete = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written,
                                  nullptr) &&
                        written == text.size();
  if (!complete) why = systemReason();
  CloseHandle(file);
  return complete;
}

}  // namespace vornup
