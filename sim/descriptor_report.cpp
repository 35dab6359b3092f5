#include "sim/descriptor_report.h"

#include <cstdio>
#include <cstdlib>

#ifndef _WIN32
#include <dirent.h>
#include <limits.h>
#include <unistd.h>
#endif

namespace tandrelsim {

bool reportInheritedDescriptors(const std::string& path, std::string& error) {
#ifdef _WIN32
  (void)path;
  error = "TANDREL_SIM_DESCRIPTORS works on POSIX hosts only";
  return false;
#else
  // Listed before anything else is opened; the listing's own descriptor is
  // left out.
  std::string line;
  DIR* listing = opendir("/proc/self/fd");
  if (listing == nullptr) {
    error = "cannot list /proc/self/fd";
    return false;
  }
  const int own = dirfd(listing);
  while (const dirent* entry = readdir(listing)) {
    char* end = nullptr;
    const long number = std::strtol(entry->d_name, &end, 10);
    if (end == entry->d_name || *end != '\0' || number <= 2 || number == own) continue;
    char target[PATH_MAX];
    const std::string link = std::string("/proc/self/fd/") + entry->d_name;
    const ssize_t length = readlink(link.c_str(), target, sizeof target - 1);
    target[length > 0 ? length : 0] = '\0';
    line += (line.empty() ? "" : " ") + std::string(entry->d_name) + "=" + target;
  }
  closedir(listing);
  line = (line.empty() ? std::string("none") : line) + "\n";
  std::FILE* report = std::fopen(path.c_str(), "ab");
  if (report == nullptr) {
    error = "cannot append to the descriptor report " + path;
    return false;
  }
  const bool written = std::fwrite(line.data(), 1, line.size(), report) == line.size();
  if (std::fclose(report) != 0 || !written) {
    error = "cannot append to the descriptor report " + path;
    return false;
  }
  return true;
#endif
}

}  // namespace tandrelsim
