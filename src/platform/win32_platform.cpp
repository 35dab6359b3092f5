// The Windows host platform: the registry under HKEY_LOCAL_MACHINE, the
// module file name, FindFirstFileA searches and the command interpreter.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <sddl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace vornup {
namespace {

constexpr char kRightsProbeKey[] = "SOFTWARE\\KorvaneFwupdate";
// Registry string values are read into a zero-filled 254-byte buffer.
constexpr DWORD kRegistryValueSize = 254;
constexpr char kDefaultInterpreter[] = "cmd.exe";
// No AutoRun commands (they would add text to the output the program
// parses), no delayed expansion, and only the outer pair of quotes stripped,
// so every quoted path inside the line stays intact.
constexpr char kInterpreterOptions[] = " /d /v:off /s /c \"";
constexpr char kPrivateDirectoryPrefix[] = "vornup-";
constexpr int kPrivateDirectoryAttempts = 100;
constexpr int kCommandFailed = -1;

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

class Win32Platform : public Platform {
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
    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, subkey.c_str(), &key) != ERROR_SUCCESS) return false;
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

  int runCommand(const std::string& commandLine) override {
    std::fflush(stdout);
    std::string interpreter = environmentValue("COMSPEC");
    const char* application = interpreter.empty() ? nullptr : interpreter.c_str();
    if (interpreter.empty()) interpreter = kDefaultInterpreter;
    std::string line = "\"" + interpreter + "\"" + kInterpreterOptions + commandLine + "\"";
    std::vector<char> mutableLine(line.begin(), line.end());
    mutableLine.push_back('\0');

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(application, mutableLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                        nullptr, &startup, &process)) {
      return kCommandFailed;
    }
    CloseHandle(process.hThread);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exitCode = 0;
    int status = GetExitCodeProcess(process.hProcess, &exitCode) ? static_cast<int>(exitCode)
                                                                 : kCommandFailed;
    CloseHandle(process.hProcess);
    return status;
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

  void removeDirectory(const std::string& path) override {
    std::string directory = path;
    if (directory.size() > 1 && (directory.back() == '\\' || directory.back() == '/')) {
      directory.pop_back();
    }
    RemoveDirectoryA(directory.c_str());
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
