#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>

#include "platform/report_host.h"

namespace vornup {

bool utcCalendarTime(std::time_t time, std::tm& parts) {
  return gmtime_r(&time, &parts) != nullptr;
}

std::string reportHostName() {
#ifdef HOST_NAME_MAX
  char name[HOST_NAME_MAX + 1] = {};
#else
  char name[256] = {};
#endif
  if (::gethostname(name, sizeof name - 1) != 0) return std::string();
  return name;
}

unsigned long reportProcessId() { return static_cast<unsigned long>(::getpid()); }

std::FILE* createReportFile(const std::string& path) {
  constexpr mode_t kNewFileMode = 0666;  // before the umask, as fopen makes files
  int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                          kNewFileMode);
  if (descriptor < 0) return nullptr;
  std::FILE* stream = ::fdopen(descriptor, "wb");
  if (stream == nullptr) ::close(descriptor);
  return stream;
}

bool isExistingDirectory(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

ReportTarget inspectReportTarget(const std::string& path) {
  struct stat info;
  if (::lstat(path.c_str(), &info) != 0) return ReportTarget::absent;
  if (S_ISDIR(info.st_mode) || isExistingDirectory(path)) return ReportTarget::directory;
  if (!S_ISREG(info.st_mode)) return ReportTarget::notRegular;
  const uid_t user = ::geteuid();
  if (info.st_uid != user && user != 0) return ReportTarget::otherOwner;
  return ReportTarget::regularFile;
}

bool adoptReportAttributes(std::FILE* file, const std::string& existing) {
  struct stat info;
  if (::lstat(existing.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return true;
  const int descriptor = ::fileno(file);
  if (::fchmod(descriptor, info.st_mode & 0777) != 0) return false;
  if (info.st_uid == ::geteuid() && info.st_gid == ::getegid()) return true;
  if (::fchown(descriptor, info.st_uid, info.st_gid) == 0) return true;
  // The owner kept, only the group not: a user may give a file only to a
  // group of their own.
  return info.st_uid == ::geteuid();
}

bool isSameOpenFile(const std::string& path, std::FILE* file) {
  struct stat named;
  struct stat open;
  if (file == nullptr || ::stat(path.c_str(), &named) != 0) return false;
  if (::fstat(::fileno(file), &open) != 0) return false;
  return named.st_dev == open.st_dev && named.st_ino == open.st_ino;
}

bool replaceReportFile(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

void removeReportFile(const std::string& path) { ::unlink(path.c_str()); }

}  // namespace vornup
