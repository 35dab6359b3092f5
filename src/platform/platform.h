// The host services a run asks for through an object (registry, program
// path, directory searches, tool commands, the host lock), so that tests can
// put a stand-in in their place. The rest of what differs between Windows and
// POSIX hosts sits beside it in src/platform as plain functions: interrupts
// (interrupts.h), safe file opening (safe_files.h), file copies
// (file_copy.h), what the run report needs (report_host.h: host name,
// process number, UTC time, file replacement), host names and separators
// (host_names.h), hashes and signatures (crypto.h), the run history's file
// (history_file.h) and the system log (system_log.h). Nothing outside
// src/platform knows which system it runs on.
//
// Windows: the registry, GetModuleFileNameA, FindFirstFileA/FindNextFileA and
// CreateProcess.
// POSIX: a directory tree stands in for the registry (VORNUP_REGISTRY_ROOT,
// default /etc/vornup/registry), /proc/self/exe for the program's own path,
// readdir for directory searches and posix_spawn.
//
// Tests and fuzzers put an in-process stand-in (FakePlatform) behind the same
// interface, so the program's logic runs without spawning processes.
#pragma once

#include <functional>
#include <string>

#include "platform/command.h"
#include "platform/host_lock.h"

namespace vornup {

struct DirectoryEntry {
  std::string name;
  bool isDirectory = false;
  // A plain file that may be opened and read; devices, FIFOs and sockets are
  // neither this nor a directory.
  bool isRegularFile = false;
};

class Platform {
 public:
  virtual ~Platform() = default;

  // Full path of the running program, or "" when it cannot be found.
  virtual std::string moduleFileName() = 0;

  // Whether this run may write system-wide configuration: creates the key
  // SOFTWARE\KorvaneFwupdate under HKEY_LOCAL_MACHINE and deletes it again.
  virtual bool probeAdminRights() = 0;

  // Reads the string value `valueName` of the HKEY_LOCAL_MACHINE key `subkey`
  // ("SOFTWARE\\Korvane\\Quenmar"). False when the key cannot be opened, the
  // value cannot be read, or it does not fit a 254-byte buffer.
  virtual bool readRegistryString(const std::string& subkey, const std::string& valueName,
                                  std::string& value) = 0;

  // Sets the string value `valueName` of the HKEY_LOCAL_MACHINE key
  // `subkey`, creating the key. A reader sees the old value or the new one,
  // never a part (POSIX: a new file renamed over the value's file). False
  // when it could not be written; the default, for stand-ins, writes nothing.
  virtual bool writeRegistryString(const std::string& subkey, const std::string& valueName,
                                   const std::string& value);

  // Where the string value `valueName` of `subkey` is kept, for messages
  // that say where the program looked: "HKEY_LOCAL_MACHINE\<subkey>\<value>"
  // on Windows, the value's file on POSIX.
  virtual std::string registryValueLocation(const std::string& subkey,
                                            const std::string& valueName);

  // Whether `path` names an existing regular file that may be run (POSIX:
  // the running user may execute it; Windows: a file, not a directory).
  virtual bool isExecutableFile(const std::string& path) = 0;

  // Starts `start.program` directly (see ProgramStart) in a process group of
  // its own (Windows: a new process group and a job) and waits for it within
  // `limits`, as runLimitedCommand does. This is how the program runs the
  // management tool: no command interpreter ever sees its path or arguments.
  virtual CommandResult runProgram(const ProgramStart& start, const CommandLimits& limits) = 0;

  // Runs one command line through the system's command interpreter (POSIX
  // /bin/sh, Windows the system folder's cmd.exe) and returns its exit status
  // (-1 when it could not be started). No limit, no interruption. For
  // helpers and tests; the program itself runs no command line.
  virtual int runCommand(const std::string& commandLine) = 0;

  // Runs one command line through the command interpreter in a process group
  // of its own (POSIX; Windows: a new process group and a job), within
  // `limits`. When the time limit passes, or an interrupt arrives and
  // `limits.endOnInterrupt` is set, the command and every process it started
  // are ended. The hosts wait without polling at fixed intervals. The default
  // runs runCommand without limits, for stand-ins that only override it.
  virtual CommandResult runLimitedCommand(const std::string& commandLine,
                                          const CommandLimits& limits);

  // Takes the host-wide lock for the rest of the process (see host_lock.h).
  virtual HostLockResult acquireHostLock() = 0;

  // After acquireHostLock gave heldByAnotherRun: the tool process of an
  // earlier run that still runs and so holds the lock ("process group
  // 1234"), or "" when another run holds it itself.
  virtual std::string hostLockHolder();

  // Reads an environment variable; false when it is not set. The hosts read
  // the process environment; stand-ins may keep their own.
  virtual bool getEnvironment(const char* name, std::string& value);

  // The variable's value, or "" when it is not set.
  std::string environmentValue(const char* name);

  // The directory that receives the run's temporary files: TEMP on Windows;
  // TEMP, else TMPDIR, else /tmp on POSIX. False when there is none (TEMP
  // unset or empty on Windows).
  virtual bool temporaryDirectoryBase(std::string& base) = 0;

  // Creates a new directory with a unique name inside `parent` that only the
  // current user can access, named "vornup-<process id>-<unique part>"; `created` receives its path
  // with a trailing separator. False when no such directory could be made.
  virtual bool createPrivateDirectory(const std::string& parent, std::string& created) = 0;

  // Removes the private directories (see createPrivateDirectory) inside
  // `parent` that runs which are gone left behind: only directories with such
  // a name, owned by the current user, whose process no longer exists. Only
  // regular files inside them are removed (links are never followed), then
  // the directory; one holding anything else stays. Returns how many
  // directories were removed.
  virtual int removeStalePrivateDirectories(const std::string& parent) = 0;

  // Removes an empty directory (trailing separator allowed).
  virtual void removeDirectory(const std::string& path) = 0;

  // Removes this run's private directory `path` (trailing separator allowed)
  // with the regular files in it, whatever the tool left there, as stale
  // ones are removed: links are never followed, and a directory that holds
  // anything but regular files stays.
  virtual void removePrivateDirectory(const std::string& path) = 0;

  // Calls `visit` for every entry of `directory` (a path ending with the
  // separator), in the order the file system returns them. False when the
  // directory cannot be searched (it does not exist).
  virtual bool forEachDirectoryEntry(const std::string& directory,
                                     const std::function<void(const DirectoryEntry&)>& visit) = 0;
};

// The platform of the machine the program runs on.
Platform& hostPlatform();

}  // namespace vornup
