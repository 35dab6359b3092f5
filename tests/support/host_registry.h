// Test support: writes and removes keys of the host's registry, the one the
// program's platform layer reads: the real registry (through reg.exe) on
// Windows, a directory tree on POSIX (by default the one under
// VORNUP_REGISTRY_ROOT of the test process; a harness may name another).
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/host_names.h"
#include "platform/platform.h"

namespace vornup {

constexpr bool kWindowsHost = kPathSeparator == '\\';

class HostRegistry {
 public:
  // Sets the string value `valueName` of the HKEY_LOCAL_MACHINE key `subkey`
  // ("SOFTWARE\\Korvane\\Quenmar"); true when it was written.
  static bool setString(const std::string& subkey, const std::string& valueName,
                        const std::string& text, const std::filesystem::path& root = defaultRoot()) {
    if (kWindowsHost) {
      return reg("add \"HKLM\\" + subkey + "\" /v " + valueName + " /t REG_SZ /d \"" +
                 escapedForReg(text) + "\" /f") == 0;
    }
    std::filesystem::path key = keyPath(subkey, root);
    std::error_code ignored;
    std::filesystem::create_directories(key, ignored);
    return writeFile(key / valueName, text + "\n");
  }

  // Writes a POSIX value file with exactly `content` (no effect on Windows).
  static bool setRawValueFile(const std::string& subkey, const std::string& valueName,
                              const std::string& content) {
    std::filesystem::path key = keyPath(subkey);
    std::error_code ignored;
    std::filesystem::create_directories(key, ignored);
    return writeFile(key / valueName, content);
  }

  // Sets a number (a value that is not a string) on Windows.
  static bool setNumber(const std::string& subkey, const std::string& valueName, int number) {
    return reg("add \"HKLM\\" + subkey + "\" /v " + valueName + " /t REG_DWORD /d " +
               std::to_string(number) + " /f") == 0;
  }

  static bool createKey(const std::string& subkey) {
    if (kWindowsHost) return reg("add \"HKLM\\" + subkey + "\" /f") == 0;
    std::error_code ignored;
    return std::filesystem::create_directories(keyPath(subkey), ignored);
  }

  static bool keyExists(const std::string& subkey) {
    if (kWindowsHost) return reg("query \"HKLM\\" + subkey + "\"") == 0;
    std::error_code ignored;
    return std::filesystem::is_directory(keyPath(subkey), ignored);
  }

  // Removes the key with everything below it.
  static void removeKey(const std::string& subkey) {
    if (kWindowsHost) {
      reg("delete \"HKLM\\" + subkey + "\" /f");
      return;
    }
    std::error_code ignored;
    std::filesystem::remove_all(keyPath(subkey), ignored);
  }

  static std::filesystem::path defaultRoot() {
    const char* root = std::getenv("VORNUP_REGISTRY_ROOT");
    return std::filesystem::u8path(root != nullptr && *root != '\0' ? root
                                                                    : "/etc/vornup/registry");
  }

 private:
  static int reg(const std::string& arguments) {
    return hostPlatform().runCommand("reg " + arguments + " >NUL 2>&1");
  }

  // reg.exe reads its arguments by the usual rules, in which backslashes
  // before a closing quote escape it: double them.
  static std::string escapedForReg(const std::string& text) {
    std::size_t end = text.size();
    while (end > 0 && text[end - 1] == '\\') --end;
    return text + text.substr(end);
  }

  static std::filesystem::path keyPath(const std::string& subkey,
                                       const std::filesystem::path& root = defaultRoot()) {
    std::filesystem::path path = root;
    std::string part;
    for (char c : subkey + "\\") {
      if (c != '\\') {
        part += c;
      } else if (!part.empty()) {
        path /= part;
        part.clear();
      }
    }
    return path;
  }

  static bool writeFile(const std::filesystem::path& path, const std::string& content) {
    std::FILE* file = std::fopen(path.u8string().c_str(), "wb");
    if (file == nullptr) return false;
    bool written = std::fwrite(content.data(), 1, content.size(), file) == content.size();
    return std::fclose(file) == 0 && written;
  }
};

}  // namespace vornup
