#include "platform/posix_descendants.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace vornup {
namespace {

// How many times the sweep looks again for processes adopted while it ended
// others, and how long it waits between two looks.
constexpr int kSweepRounds = 50;
constexpr useconds_t kSweepPauseMicroseconds = 10000;

// Adopted children that were still running after their command ended.
std::vector<pid_t>& adoptedStillRunning() {
  static std::vector<pid_t> adopted;
  return adopted;
}

// Reads the whole small file at `path`; "" when it cannot be read.
std::string readSmallFile(const char* path) {
  std::string text;
  const int descriptor = ::open(path, O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) return text;
  char block[4096];
  ssize_t got = 0;
  while ((got = ::read(descriptor, block, sizeof block)) > 0) text.append(block, got);
  ::close(descriptor);
  return text;
}

void appendNumbers(const std::string& text, std::vector<pid_t>& numbers) {
  const char* at = text.c_str();
  char* end = nullptr;
  for (;;) {
    const long value = std::strtol(at, &end, 10);
    if (end == at) break;
    if (value > 0) numbers.push_back(static_cast<pid_t>(value));
    at = end;
  }
}

// The parent of process `pid` from /proc/<pid>/stat (after the command name,
// which may hold blanks and parentheses); -1 when unknown.
pid_t parentOf(pid_t pid) {
  char path[64];
  std::snprintf(path, sizeof path, "/proc/%ld/stat", static_cast<long>(pid));
  const std::string stat = readSmallFile(path);
  const std::size_t close = stat.rfind(')');
  if (close == std::string::npos) return -1;
  char state = 0;
  long parent = -1;
  if (std::sscanf(stat.c_str() + close + 1, " %c %ld", &state, &parent) != 2) return -1;
  return static_cast<pid_t>(parent);
}

// Every process whose parent is this one, from a walk over /proc, where the
// kernel keeps no list of children.
void scanForChildren(std::vector<pid_t>& children) {
  DIR* proc = ::opendir("/proc");
  if (proc == nullptr) return;
  const pid_t self = ::getpid();
  while (const dirent* entry = ::readdir(proc)) {
    char* end = nullptr;
    const long pid = std::strtol(entry->d_name, &end, 10);
    if (pid <= 0 || *end != '\0') continue;
    if (parentOf(static_cast<pid_t>(pid)) == self) children.push_back(static_cast<pid_t>(pid));
  }
  ::closedir(proc);
}

// Where the kernel lists the children of this thread, the runner's.
void childrenListPath(char (&path)[64]) {
  std::snprintf(path, sizeof path, "/proc/self/task/%ld/children", static_cast<long>(::getpid()));
}

// The kernel's list of this thread's children, read again from its start
// through a descriptor kept open for the run, or opened for each read where
// the kernel cannot read it by position; false when it cannot be read.
bool readChildrenList(std::string& list) {
  static const int kept = [] {
    char path[64];
    childrenListPath(path);
    return ::open(path, O_RDONLY | O_CLOEXEC);
  }();
  if (kept < 0) return false;
  char block[4096];
  ssize_t got = ::pread(kept, block, sizeof block, 0);
  if (got < 0) {
    char path[64];
    childrenListPath(path);
    if (::access(path, R_OK) != 0) return false;
    list = readSmallFile(path);
    return true;
  }
  for (off_t at = 0; got > 0; got = ::pread(kept, block, sizeof block, at)) {
    list.append(block, static_cast<std::size_t>(got));
    at += got;
  }
  return true;
}

bool contains(const std::vector<pid_t>& sorted, pid_t pid) {
  return std::binary_search(sorted.begin(), sorted.end(), pid);
}

std::vector<pid_t> newChildren(pid_t group, const std::vector<pid_t>& before) {
  std::vector<pid_t> found;
  for (pid_t pid : currentChildren()) {
    if (pid != group && !contains(before, pid)) found.push_back(pid);
  }
  return found;
}

}  // namespace

bool becomeSubreaper() {
#ifdef __linux__
  static const bool made = ::prctl(PR_SET_CHILD_SUBREAPER, 1L, 0L, 0L, 0L) == 0;
  return made;
#else
  return false;
#endif
}

std::vector<pid_t> currentChildren() {
  std::vector<pid_t> children;
  if (!becomeSubreaper()) return children;
  std::string list;
  if (readChildrenList(list)) {
    appendNumbers(list, children);
  } else {
    scanForChildren(children);
  }
  std::sort(children.begin(), children.end());
  return children;
}

void endAdoptedDescendants(pid_t group, const std::vector<pid_t>& before) {
  if (!becomeSubreaper()) return;
  for (int round = 0; round < kSweepRounds; ++round) {
    const std::vector<pid_t> adopted = newChildren(group, before);
    // A group member that is still dying may yet leave children to adopt.
    const bool groupLeft = ::kill(-group, 0) == 0;
    if (adopted.empty() && !groupLeft) return;
    for (pid_t pid : adopted) {
      ::kill(-pid, SIGKILL);  // its own group, when it leads one
      ::kill(pid, SIGKILL);
    }
    for (pid_t pid : adopted) {
      while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
      }
    }
    if (adopted.empty()) ::usleep(kSweepPauseMicroseconds);
  }
}

void reapAdoptedDescendants(pid_t group, const std::vector<pid_t>& before) {
  if (!becomeSubreaper()) return;
  std::vector<pid_t>& running = adoptedStillRunning();
  for (pid_t pid : newChildren(group, before)) {
    if (std::find(running.begin(), running.end(), pid) == running.end()) running.push_back(pid);
  }
  running.erase(std::remove_if(running.begin(), running.end(),
                               [](pid_t pid) {
                                 const pid_t reaped = ::waitpid(pid, nullptr, WNOHANG);
                                 return reaped == pid || (reaped < 0 && errno == ECHILD);
                               }),
                running.end());
}

}  // namespace vornup
