#include <windows.h>

#include <io.h>

#include "platform/report_host.h"
#include "platform/safe_files.h"

namespace vornup {

bool utcCalendarTime(std::time_t time, std::tm& parts) { return gmtime_s(&parts, &time) == 0; }

std::string reportHostName() {
  char name[256] = {};
  DWORD size = sizeof name;
  if (!GetComputerNameExA(ComputerNameDnsHostname, name, &size)) {
    size = sizeof name;
    if (!GetComputerNameA(name, &size)) return std::string();
  }
  return std::string(name, size);
}

unsigned long reportProcessId() { return GetCurrentProcessId(); }

std::FILE* createReportFile(const std::string& path) { return createExclusiveFile(path); }

bool isExistingDirectory(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

namespace {

// The file at `path` itself, links not followed; INVALID_HANDLE_VALUE when
// there is none.
HANDLE openForInspection(const std::string& path) {
  return CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     nullptr, OPEN_EXISTING,
                     FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

}  // namespace

ReportTarget inspectReportTarget(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return ReportTarget::directory;
    if ((attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE)) != 0) {
      return ReportTarget::notRegular;
    }
  }
  HANDLE handle = openForInspection(path);
  if (handle == INVALID_HANDLE_VALUE) {
    // Device names such as NUL have no attributes but can be opened.
    return attributes == INVALID_FILE_ATTRIBUTES ? ReportTarget::absent : ReportTarget::notRegular;
  }
  const DWORD type = GetFileType(handle);
  CloseHandle(handle);
  return type == FILE_TYPE_DISK && attributes != INVALID_FILE_ATTRIBUTES ? ReportTarget::regularFile
                                                                         : ReportTarget::notRegular;
}

bool adoptReportAttributes(std::FILE*, const std::string&) { return true; }

bool isSameOpenFile(const std::string& path, std::FILE* file) {
  if (file == nullptr) return false;
  HANDLE open = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
  HANDLE named = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (open == INVALID_HANDLE_VALUE || named == INVALID_HANDLE_VALUE) {
    if (named != INVALID_HANDLE_VALUE) CloseHandle(named);
    return false;
  }
  BY_HANDLE_FILE_INFORMATION a;
  BY_HANDLE_FILE_INFORMATION b;
  const bool known = GetFileInformationByHandle(open, &a) && GetFileInformationByHandle(named, &b);
  CloseHandle(named);
  return known && a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
         a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

bool replaceReportFile(const std::string& from, const std::string& to) {
  // An existing report keeps its security descriptor and attributes.
  if (GetFileAttributesA(to.c_str()) != INVALID_FILE_ATTRIBUTES &&
      ReplaceFileA(to.c_str(), from.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                   nullptr) != 0) {
    return true;
  }
  // std::rename does not replace an existing file on Windows.
  return MoveFileExA(from.c_str(), to.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

void removeReportFile(const std::string& path) { DeleteFileA(path.c_str()); }

}  // namespace vornup
