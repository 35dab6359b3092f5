#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/host_lock.h"

namespace vornup {
namespace {

constexpr char kProductLockFile[] = "/run/vornup.lock";
constexpr char kTestLockVariable[] = "VORNUP_TEST_LOCK_DIRECTORY";
constexpr char kTestLockName[] = "/vornup-test.lock";
constexpr mode_t kLockFileMode = 0600;
// A record is two numbers of at most 19 digits, a blank and a line end.
constexpr std::size_t kRecordSize = 64;
// In /proc/<pid>/stat, the fields after the command name's closing
// parenthesis: the state is the 1st, the process group the 3rd, the start
// time the 20th.
constexpr int kGroupField = 3;
constexpr int kStartTimeField = 20;

struct ProcessStat {
  char state = 0;
  long long group = 0;
  unsigned long long started = 0;  // clock ticks after boot
};

// What /proc/<pid>/stat says of process `pid`; false when it does not exist
// or cannot be read.
bool readProcessStat(const char* pid, ProcessStat& stat) {
  char path[64];
  std::snprintf(path, sizeof path, "/proc/%s/stat", pid);
  const int descriptor = ::open(path, O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) return false;
  // The kernel makes the whole line in one read.
  char text[1024];
  ssize_t count;
  do {
    count = ::read(descriptor, text, sizeof text - 1);
  } while (count < 0 && errno == EINTR);
  ::close(descriptor);
  if (count <= 0) return false;
  text[count] = '\0';
  const char* at = std::strrchr(text, ')');
  if (at == nullptr || at[1] != ' ') return false;
  at += 2;
  stat.state = *at;
  for (int field = 1; field < kStartTimeField; ++field) {
    at = std::strchr(at, ' ');
    if (at == nullptr) return false;
    ++at;
    if (field + 1 == kGroupField) stat.group = std::strtoll(at, nullptr, 10);
  }
  char* end = nullptr;
  stat.started = std::strtoull(at, &end, 10);
  return end != at;
}

bool isProcessId(const char* name) {
  return *name != '\0' && std::strspn(name, "0123456789") == std::strlen(name);
}

// Whether the process group of `process` still has a member that runs (a
// zombie whose parent is gone does not count). A group's id is not given to
// a new process while any member lives, so a leader with another start time
// means the group ended; a group whose leader ended may still have members.
bool groupRuns(const ToolProcess& process) {
  ProcessStat leader;
  const bool leaderFound = readProcessStat(std::to_string(process.id).c_str(), leader);
  if (leaderFound && process.started != 0 && leader.started != process.started) return false;
  if (leaderFound && leader.state != 'Z') return true;
  DIR* processes = ::opendir("/proc");
  if (processes == nullptr) {
    return ::kill(static_cast<pid_t>(-process.id), 0) == 0 || errno == EPERM;
  }
  bool runs = false;
  while (const dirent* found = runs ? nullptr : ::readdir(processes)) {
    ProcessStat member;
    runs = isProcessId(found->d_name) && readProcessStat(found->d_name, member) &&
           member.group == process.id && member.state != 'Z';
  }
  ::closedir(processes);
  return runs;
}

bool clearRecord(int descriptor) { return ::ftruncate(descriptor, 0) == 0; }

// A record only partly written reads as no record.
bool writeRecord(int descriptor, const std::string& text) {
  return ::pwrite(descriptor, text.data(), text.size(), 0) == static_cast<ssize_t>(text.size());
}

std::string readRecord(int descriptor) {
  char text[kRecordSize];
  const ssize_t count = ::pread(descriptor, text, sizeof text, 0);
  return count > 0 ? std::string(text, static_cast<std::size_t>(count)) : std::string();
}

}  // namespace

std::string HostLock::name() {
  const char* directory = std::getenv(kTestLockVariable);
  if (directory == nullptr || *directory == '\0') return kProductLockFile;
  std::string path = directory;
  while (!path.empty() && path.back() == '/') path.pop_back();
  return path + kTestLockName;
}

HostLockResult HostLock::acquire() {
  if (held()) return HostLockResult::acquired;
  holder_.clear();
  // Non-blocking, so that a FIFO in its place cannot hold the run up; never
  // through a symbolic link.
  int descriptor =
      ::open(name().c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY,
             kLockFileMode);
  if (descriptor < 0) return HostLockResult::unavailable;
  struct stat info;
  if (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(descriptor);
    return HostLockResult::unavailable;
  }
  int locked;
  do {
    locked = ::flock(descriptor, LOCK_EX | LOCK_NB);
  } while (locked != 0 && errno == EINTR);
  if (locked != 0) {
    bool busy = errno == EWOULDBLOCK;
    ::close(descriptor);
    return busy ? HostLockResult::heldByAnotherRun : HostLockResult::unavailable;
  }
  // The tool of a run that was killed outright may still run.
  const std::string record = readRecord(descriptor);
  ToolProcess tool;
  if (parseToolRecord(record, tool)) {
    if (groupRuns(tool)) {
      holder_ = "process group " + std::to_string(tool.id);
      ::close(descriptor);
      return HostLockResult::heldByAnotherRun;
    }
    recorded_ = !clearRecord(descriptor);
  } else {
    // Other text is left until the first command's record replaces it.
    recorded_ = !record.empty();
  }
  handle_ = descriptor;
  return HostLockResult::acquired;
}

void HostLock::release() {
  if (!held()) return;
  commandEnded();
  ::close(static_cast<int>(handle_));
  handle_ = kNone;
}

void HostLock::commandStarted(std::intptr_t process) {
  if (!held()) return;
  ToolProcess tool;
  tool.id = static_cast<long long>(process);
  ProcessStat stat;
  tool.started = readProcessStat(std::to_string(tool.id).c_str(), stat) ? stat.started : 0;
  const int descriptor = static_cast<int>(handle_);
  // A record the last command's end cleared need not be cleared again. This
  // one is cleared at the command's end, whatever could be written.
  const bool clear = !recorded_ || clearRecord(descriptor);
  recorded_ = true;
  if (clear) writeRecord(descriptor, toolRecordText(tool));
}

void HostLock::commandEnded() {
  if (!held() || !recorded_) return;
  if (clearRecord(static_cast<int>(handle_))) recorded_ = false;
}

}  // namespace vornup
