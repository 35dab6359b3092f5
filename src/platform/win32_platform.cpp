// The Windows host platform: the registry under HKEY_LOCAL_MACHINE, the
// module file name, FindFirstFileA searches and the command interpreter.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/host_platform.h"

namespace vornup {
namespace {

constexpr char kRightsProbeKey[] = "SOFTWARE\\KorvaneFwupdate";
// Registry string values are read into a zero-filled 254-byte buffer.
constexpr DWORD kRegistryValueSize = 254;
// Both builds read the 64-bit view of the registry first, then the 32-bit
// one: a 32-bit program on 64-bit Windows would otherwise see only the
// 32-bit view. On 32-bit Windows both read the one registry.
constexpr REGSAM kRegistryViews[] = {KEY_WOW64_64KEY, KEY_WOW64_32KEY};
constexpr char kPrivateDirectoryPrefix[] = "vornup-";
constexpr int kPrivateDirectoryAttempts = 100;

std::string withSeparator(const std::string& path) {
  if (!path.empty() && path.back() != '\\' && path.back() != '/') return path + "\\";
  return path;
}

// The security descriptor of the private directory: full access for the
// user running the program, nobody else, nothing inherited from the parent.
class OwnerOnlySecurity {
 public:
  OwnerOnlySecurity() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return;
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<BYTE> user(size);
    char* sidText = nullptr;
    if (size > 0 && GetTokenInformation(token, TokenUser, user.data(), size, &size) &&
        ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid, &sidText)) {
      std::string sddl = std::string("D:P(A;OICI;FA;;;") + sidText + ")";
      LocalFree(sidText);
      ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl.c_str(), SDDL_REVISION_1,
                                                           &descriptor_, nullptr);
    }
    CloseHandle(token);
  }
  ~OwnerOnlySecurity() {
    if (descriptor_ != nullptr) LocalFree(descriptor_);
  }
  OwnerOnlySecurity(const OwnerOnlySecurity&) = delete;
  OwnerOnlySecurity& operator=(const OwnerOnlySecurity&) = delete;

  bool valid() const { return descriptor_ != nullptr; }
  SECURITY_ATTRIBUTES* attributes() {
    attributes_.nLength = sizeof attributes_;
    attributes_.lpSecurityDescriptor = descriptor_;
    attributes_.bInheritHandle = FALSE;
    return &attributes_;
  }

 private:
  PSECURITY_DESCRIPTOR descriptor_ = nullptr;
  SECURITY_ATTRIBUTES attributes_ = {};
};

bool isPrivateDirectoryName(const char* name, DWORD& owner) {
  const std::string text = name;
  const std::string prefix = kPrivateDirectoryPrefix;
  if (text.compare(0, prefix.size(), prefix) != 0) return false;
  std::size_t at = prefix.size();
  unsigned long long id = 0;
  std::size_t digits = 0;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at, ++digits) {
    if (digits == 10) return false;  // longer than any process id
    id = id * 10 + static_cast<unsigned>(text[at] - '0');
  }
  if (digits == 0 || id == 0 || id > 0xFFFFFFFFull || at + 1 >= text.size() || text[at] != '-') {
    return false;
  }
  owner = static_cast<DWORD>(id);
  return true;
}

// No process has the id: OpenProcess refuses it as an invalid parameter
// (a process of another user gives "access denied" instead).
bool processIsGone(DWORD id) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
  if (process != nullptr) {
    DWORD exitCode = 0;
    bool ended = GetExitCodeProcess(process, &exitCode) && exitCode != STILL_ACTIVE;
    CloseHandle(process);
    return ended;
  }
  return GetLastError() == ERROR_INVALID_PARAMETER;
}

// The SID in a token information block of `kind` (TokenUser, TokenOwner).
std::vector<BYTE> tokenSid(HANDLE token, TOKEN_INFORMATION_CLASS kind) {
  DWORD size = 0;
  GetTokenInformation(token, kind, nullptr, 0, &size);
  std::vector<BYTE> block(size);
  if (size == 0 || !GetTokenInformation(token, kind, block.data(), size, &size)) block.clear();
  return block;
}

// Whether `path` is owned by the current user or by the owner this user
// gives new objects (administrators' objects belong to their group).
bool ownedByCurrentUser(const std::string& path) {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner,
                            nullptr, nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
    return false;
  }
  bool owned = false;
  HANDLE token = nullptr;
  if (owner != nullptr && OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
    std::vector<BYTE> user = tokenSid(token, TokenUser);
    std::vector<BYTE> defaultOwner = tokenSid(token, TokenOwner);
    owned = (!user.empty() && EqualSid(owner, reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid)) ||
            (!defaultOwner.empty() &&
             EqualSid(owner, reinterpret_cast<TOKEN_OWNER*>(defaultOwner.data())->Owner));
    CloseHandle(token);
  }
  LocalFree(descriptor);
  return owned;
}

// Removes the plain files of `path` (no links, nothing below) and then the
// directory; true when it is gone.
bool removeStaleDirectory(const std::string& path) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const DWORD notPlain =
          FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;
      if ((found.dwFileAttributes & notPlain) == 0) {
        DeleteFileA((path + "\\" + found.cFileName).c_str());
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  return RemoveDirectoryA(path.c_str()) != 0;
}

class Win32Platform : public HostPlatform {
 public:
  std::string moduleFileName() override {
    char name[MAX_PATH + 1] = {};
    DWORD length = GetModuleFileNameA(nullptr, name, MAX_PATH);
    // A name that filled the buffer may have been cut.
    if (length < 1 || length >= MAX_PATH) return std::string();
    return std::string(name, length);
  }

  bool probeAdminRights() override {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kRightsProbeKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
      return false;
    }
    RegCloseKey(key);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kRightsProbeKey);
    return true;
  }

  bool readRegistryString(const std::string& subkey, const std::string& valueName,
                          std::string& value) override {
    for (REGSAM view : kRegistryViews) {
      if (readRegistryStringIn(view, subkey, valueName, value)) return true;
    }
    return false;
  }

  // Written to the view that reading asks first.
  bool writeRegistryString(const std::string& subkey, const std::string& valueName,
                           const std::string& value) override {
    if (value.size() + 1 > kRegistryValueSize) return false;
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, subkey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE | kRegistryViews[0], nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
      return false;
    }
    const bool written =
        RegSetValueExA(key, valueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
    RegCloseKey(key);
    return written;
  }

  // The value as one view of the registry holds it.
  static bool readRegistryStringIn(REGSAM view, const std::string& subkey,
                                   const std::string& valueName, std::string& value) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, subkey.c_str(), 0, KEY_QUERY_VALUE | view, &key) !=
        ERROR_SUCCESS) {
      return false;
    }
    BYTE buffer[kRegistryValueSize] = {};
    DWORD size = kRegistryValueSize;
    DWORD type = REG_NONE;
    bool read = RegQueryValueExA(key, valueName.c_str(), nullptr, &type, buffer, &size) ==
                ERROR_SUCCESS;
    RegCloseKey(key);
    // Only a string that fits the buffer with its terminator is a directory.
    bool isString = type == REG_SZ || type == REG_EXPAND_SZ;
    if (!read || !isString || (size == kRegistryValueSize && buffer[size - 1] != '\0')) {
      return false;
    }
    value = reinterpret_cast<const char*>(buffer);
    return true;
  }

  bool isExecutableFile(const std::string& path) override {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
  }

  bool temporaryDirectoryBase(std::string& base) override {
    base = environmentValue("TEMP");
    return !base.empty();
  }

  bool createPrivateDirectory(const std::string& parent, std::string& created) override {
    OwnerOnlySecurity security;
    if (!security.valid()) return false;
    std::string directory = withSeparator(parent);
    for (int attempt = 0; attempt < kPrivateDirectoryAttempts; ++attempt) {
      std::string name = directory + kPrivateDirectoryPrefix +
                         std::to_string(GetCurrentProcessId()) + "-" +
                         std::to_string(GetTickCount() + attempt);
      if (CreateDirectoryA(name.c_str(), security.attributes())) {
        created = name + "\\";
        return true;
      }
      if (GetLastError() != ERROR_ALREADY_EXISTS) return false;
    }
    return false;
  }

  int removeStalePrivateDirectories(const std::string& parent) override {
    const std::string directory = withSeparator(parent);
    std::vector<std::string> stale;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((directory + kPrivateDirectoryPrefix + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    do {
      DWORD owner = 0;
      bool plainDirectory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
                            (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
      if (plainDirectory && isPrivateDirectoryName(found.cFileName, owner) &&
          owner != GetCurrentProcessId() && processIsGone(owner)) {
        stale.push_back(directory + found.cFileName);
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    int removed = 0;
    for (const std::string& path : stale) {
      if (ownedByCurrentUser(path) && removeStaleDirectory(path)) ++removed;
    }
    return removed;
  }

  void removeDirectory(const std::string& path) override {
    std::string directory = path;
    if (directory.size() > 1 && (directory.back() == '\\' || directory.back() == '/')) {
      directory.pop_back();
    }
    RemoveDirectoryA(directory.c_str());
  }

  void removePrivateDirectory(const std::string& path) override {
    std::string directory = path;
    if (directory.size() > 1 && (directory.back() == '\\' || directory.back() == '/')) {
      directory.pop_back();
    }
    removeStaleDirectory(directory);
  }

  bool forEachDirectoryEntry(const std::string& directory,
                             const std::function<void(const DirectoryEntry&)>& visit) override {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((directory + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    do {
      DirectoryEntry entry;
      entry.name = found.cFileName;
      entry.isDirectory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      entry.isRegularFile =
          !entry.isDirectory && (found.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) == 0;
      visit(entry);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return true;
  }

};

}  // namespace

Platform& hostPlatform() {
  static Win32Platform platform;
  return platform;
}

}  // namespace vornup
