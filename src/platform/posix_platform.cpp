// The POSIX host platform.
//
// A directory tree stands in for the registry's HKEY_LOCAL_MACHINE: the key
// "A\B\C" is the directory <root>/A/B/C and its string value V is the regular
// file <root>/A/B/C/V. The root is VORNUP_REGISTRY_ROOT, or
// /etc/vornup/registry when that is unset or empty.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "platform/host_platform.h"

namespace vornup {
namespace {

constexpr char kRegistryRootVariable[] = "VORNUP_REGISTRY_ROOT";
constexpr char kDefaultRegistryRoot[] = "/etc/vornup/registry";
constexpr char kRightsProbeKey[] = "SOFTWARE/KorvaneFwupdate";
constexpr char kDefaultTemporaryDirectory[] = "/tmp";
constexpr char kPrivateDirectoryPrefix[] = "vornup-";
constexpr char kPrivateDirectoryUniquePart[] = "-XXXXXX";
// How often the rights probe starts again when a run beside it removed a
// directory it had just found or made. Between two attempts it waits a
// random while, longer after each: probes that run in step with each other
// (one finds the parent, the other removes it, again and again) fall out of
// step.
constexpr int kRightsProbeAttempts = 200;
constexpr long kRightsProbeBackoffMicroseconds = 50;
constexpr int kRightsProbeBackoffDoublings = 6;
// A registry string value is read into a 254-byte buffer: 253 characters
// and the terminator.
constexpr std::size_t kMaxRegistryString = 253;
constexpr mode_t kKeyMode = 0755;

// "SOFTWARE\Korvane\Quenmar" -> "<root>/SOFTWARE/Korvane/Quenmar".
std::string keyDirectory(const std::string& root, const std::string& subkey) {
  std::string path = root;
  path += '/';
  for (char c : subkey) path += (c == '\\') ? '/' : c;
  return path;
}

// An entry is what stat says of the directory's path followed by its name
// (the link's target for a symbolic link). The listing already names the
// type of most entries, which spares a stat an entry; it is taken only where
// that stat would succeed: the directory path ends in a separator and the
// directory may be searched (its "." entry can be examined).
bool entriesCanBeExamined(const std::string& directory) {
  if (directory.empty() || directory.back() != '/') return false;
  struct stat info;
  return ::stat((directory + ".").c_str(), &info) == 0;
}

void classifyEntry(const std::string& directory, const dirent& found, bool trustListedTypes,
                   DirectoryEntry& entry) {
#ifdef _DIRENT_HAVE_D_TYPE
  // Links and entries of a file system that does not name types need a stat.
  if (trustListedTypes && found.d_type != DT_UNKNOWN && found.d_type != DT_LNK) {
    entry.isDirectory = found.d_type == DT_DIR;
    entry.isRegularFile = found.d_type == DT_REG;
    return;
  }
#else
  (void)found;
  (void)trustListedTypes;
#endif
  struct stat info;
  if (::stat((directory + entry.name).c_str(), &info) == 0) {
    entry.isDirectory = S_ISDIR(info.st_mode);
    entry.isRegularFile = S_ISREG(info.st_mode);
  }
}

bool isDirectory(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool isRegularFile(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Creates `path` and its missing parents, as creating a registry key does,
// and appends every directory it created itself to `created`, parents first.
// True when the leaf was created or already exists as a directory.
bool makeKeyDirectory(const std::string& path, std::vector<std::string>& created) {
  std::size_t at = path.find('/', 1);
  for (;;) {
    std::string directory = path.substr(0, at);
    if (::mkdir(directory.c_str(), kKeyMode) == 0) {
      created.push_back(directory);
    } else if (errno != EEXIST || !isDirectory(directory)) {
      return false;
    }
    if (at == std::string::npos) return true;
    at = path.find('/', at + 1);
  }
}

// The rights probe once: true when this probe made the leaf key, or found it
// and may write to it. `vanished` tells that a directory disappeared
// meanwhile (a run beside this one removed what it made), so the answer is
// not known yet. A leaf this probe made answers the question even when a
// run beside it removes it at once: asking again after that could go on
// losing the same race.
bool probeKeyOnce(const std::string& leaf, bool& vanished) {
  std::vector<std::string> created;
  const bool reached = makeKeyDirectory(leaf, created);
  const bool madeLeaf = reached && !created.empty() && created.back() == leaf;
  const bool writable = madeLeaf || (reached && ::access(leaf.c_str(), W_OK) == 0);
  vanished = !writable && errno == ENOENT;
  // The leaf goes even when it was there before (a probe of another run
  // that was cut off); parents only when this probe made them.
  if (created.empty() || created.back() != leaf) ::rmdir(leaf.c_str());
  for (auto made = created.rbegin(); made != created.rend(); ++made) ::rmdir(made->c_str());
  return writable;
}

bool isPrivateDirectoryName(const char* name, pid_t& owner) {
  const std::string text = name;
  const std::string prefix = kPrivateDirectoryPrefix;
  if (text.compare(0, prefix.size(), prefix) != 0) return false;
  std::size_t at = prefix.size();
  long long pid = 0;
  std::size_t digits = 0;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at, ++digits) {
    if (digits == 9) return false;  // longer than any process id
    pid = pid * 10 + (text[at] - '0');
  }
  if (digits == 0 || pid <= 0 || at + 1 >= text.size() || text[at] != '-') return false;
  owner = static_cast<pid_t>(pid);
  return true;
}

bool processIsGone(pid_t pid) { return ::kill(pid, 0) != 0 && errno == ESRCH; }

// Empties the stale private directory `name` of `parent` (a descriptor) and
// removes it; true when it is gone.
bool removeStaleDirectory(int parent, const char* name) {
  int directory = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (directory < 0) return false;
  struct stat info;
  if (::fstat(directory, &info) != 0 || info.st_uid != ::geteuid()) {
    ::close(directory);
    return false;
  }
  DIR* search = ::fdopendir(directory);
  if (search == nullptr) {
    ::close(directory);
    return false;
  }
  while (const dirent* found = ::readdir(search)) {
    struct stat entry;
    if (::fstatat(directory, found->d_name, &entry, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(entry.st_mode)) {
      ::unlinkat(directory, found->d_name, 0);
    }
  }
  ::closedir(search);
  return ::unlinkat(parent, name, AT_REMOVEDIR) == 0;
}

std::string withoutTrailingSlash(const std::string& path) {
  if (path.size() > 1 && path.back() == '/') return path.substr(0, path.size() - 1);
  return path;
}

// Reads a value file: the text up to the first NUL, without one trailing
// "\n" or "\r\n". False when it is unreadable or too long for the buffer.
bool readValueFile(const std::string& path, std::string& value) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  char buffer[kMaxRegistryString + 3];  // room for "\r\n" and one more byte
  std::size_t count = std::fread(buffer, 1, sizeof buffer, file);
  std::fclose(file);
  std::string text(buffer, count);
  text = text.substr(0, text.find('\0'));
  if (!text.empty() && text.back() == '\n') {
    text.pop_back();
    if (!text.empty() && text.back() == '\r') text.pop_back();
  }
  if (text.size() > kMaxRegistryString) return false;
  value = text;
  return true;
}

// Writes `value` into a new file beside `path` and renames it over `path`,
// so that a reader never finds half a value.
bool replaceValueFile(const std::string& path, const std::string& value) {
  const std::string fresh = path + ".new-" + std::to_string(::getpid());
  ::unlink(fresh.c_str());
  const int descriptor =
      ::open(fresh.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (descriptor < 0) return false;
  const std::string text = value + "\n";
  bool written = ::write(descriptor, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  written = ::fsync(descriptor) == 0 && written;
  written = ::close(descriptor) == 0 && written;
  if (!written || ::rename(fresh.c_str(), path.c_str()) != 0) {
    ::unlink(fresh.c_str());
    return false;
  }
  return true;
}

class PosixPlatform : public HostPlatform {
 public:
  std::string moduleFileName() override {
    std::vector<char> buffer(4096);
    ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= buffer.size()) return std::string();
    return std::string(buffer.data(), static_cast<std::size_t>(length));
  }

  bool probeAdminRights() override {
    std::string leaf = registryRoot() + "/" + kRightsProbeKey;
    bool vanished = true;
    bool writable = false;
    std::minstd_rand random(static_cast<unsigned>(::getpid()));
    for (int attempt = 0; attempt < kRightsProbeAttempts && vanished && !writable; ++attempt) {
      if (attempt > 0) {
        const long longest = kRightsProbeBackoffMicroseconds
                             << std::min(attempt, kRightsProbeBackoffDoublings);
        ::usleep(static_cast<useconds_t>(random() % static_cast<unsigned long>(longest)));
      }
      writable = probeKeyOnce(leaf, vanished);
    }
    return writable;
  }

  bool readRegistryString(const std::string& subkey, const std::string& valueName,
                          std::string& value) override {
    std::string key = keyDirectory(registryRoot(), subkey);
    if (!isDirectory(key)) return false;
    std::string file = key + "/" + valueName;
    return isRegularFile(file) && readValueFile(file, value);
  }

  bool writeRegistryString(const std::string& subkey, const std::string& valueName,
                           const std::string& value) override {
    if (value.size() > kMaxRegistryString) return false;
    std::vector<std::string> created;
    const std::string key = keyDirectory(registryRoot(), subkey);
    return makeKeyDirectory(key, created) && replaceValueFile(key + "/" + valueName, value);
  }

  std::string registryValueLocation(const std::string& subkey,
                                    const std::string& valueName) override {
    return keyDirectory(registryRoot(), subkey) + "/" + valueName;
  }

  bool isExecutableFile(const std::string& path) override {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
  }

  bool temporaryDirectoryBase(std::string& base) override {
    base = environmentValue("TEMP");
    if (base.empty()) base = environmentValue("TMPDIR");
    if (base.empty()) base = kDefaultTemporaryDirectory;
    return true;
  }

  bool createPrivateDirectory(const std::string& parent, std::string& created) override {
    std::string pattern = withoutTrailingSlash(parent);
    if (pattern != "/") pattern += '/';
    pattern += kPrivateDirectoryPrefix + std::to_string(::getpid()) + kPrivateDirectoryUniquePart;
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    // mkdtemp makes the directory with a unique name and owner-only access.
    if (::mkdtemp(name.data()) == nullptr) return false;
    created = std::string(name.data()) + "/";
    return true;
  }

  int removeStalePrivateDirectories(const std::string& parent) override {
    int parentDirectory = ::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (parentDirectory < 0) return 0;
    std::vector<std::string> stale;
    if (DIR* search = ::fdopendir(::fcntl(parentDirectory, F_DUPFD_CLOEXEC, 0))) {
      while (const dirent* found = ::readdir(search)) {
        pid_t owner = 0;
        if (isPrivateDirectoryName(found->d_name, owner) && owner != ::getpid() &&
            processIsGone(owner)) {
          stale.push_back(found->d_name);
        }
      }
      ::closedir(search);
    }
    int removed = 0;
    for (const std::string& name : stale) {
      if (removeStaleDirectory(parentDirectory, name.c_str())) ++removed;
    }
    ::close(parentDirectory);
    return removed;
  }

  void removeDirectory(const std::string& path) override {
    ::rmdir(withoutTrailingSlash(path).c_str());
  }

  void removePrivateDirectory(const std::string& path) override {
    const std::string directory = withoutTrailingSlash(path);
    const std::size_t separator = directory.rfind('/');
    if (separator == std::string::npos || separator + 1 == directory.size()) return;
    const std::string parent = separator == 0 ? "/" : directory.substr(0, separator);
    int parentDirectory = ::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (parentDirectory < 0) return;
    removeStaleDirectory(parentDirectory, directory.c_str() + separator + 1);
    ::close(parentDirectory);
  }

  bool forEachDirectoryEntry(const std::string& directory,
                             const std::function<void(const DirectoryEntry&)>& visit) override {
    DIR* search = ::opendir(directory.c_str());
    if (search == nullptr) return false;
    const bool trustListedTypes = entriesCanBeExamined(directory);
    while (const dirent* found = ::readdir(search)) {
      DirectoryEntry entry;
      entry.name = found->d_name;
      classifyEntry(directory, *found, trustListedTypes, entry);
      visit(entry);
    }
    ::closedir(search);
    return true;
  }

 private:
  std::string registryRoot() {
    std::string root = environmentValue(kRegistryRootVariable);
    return root.empty() ? std::string(kDefaultRegistryRoot) : root;
  }
};

}  // namespace

Platform& hostPlatform() {
  static PosixPlatform platform;
  return platform;
}

}  // namespace vornup
