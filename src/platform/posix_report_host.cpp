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

bool replaceReportFile(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

void removeReportFile(const std::string& path) { ::unlink(path.c_str()); }

}  // namespace vornup
