#include <windows.h>

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

bool replaceReportFile(const std::string& from, const std::string& to) {
  // std::rename does not replace an existing file on Windows.
  return MoveFileExA(from.c_str(), to.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

void removeReportFile(const std::string& path) { DeleteFileA(path.c_str()); }

}  // namespace vornup
