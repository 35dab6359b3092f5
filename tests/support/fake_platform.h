// Test support: an in-process stand-in for the host platform, for tests and
// fuzzers.
//
// The registry and the environment are maps, the rights probe and the
// program's path are plain values, and the programs it is asked to start go
// to a handler instead. Directory searches and temporary directories use
// the real file system, so tests can lay out image directories as files.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace vornup {

class FakePlatform : public Platform {
 public:
  // Receives every command line, or the shown line of every program started
  // (the program itself is in lastStart); returns the exit status. Use
  // writeToolOutput to play the tool's reply.
  using CommandHandler = std::function<int(const std::string& commandLine)>;

  std::string moduleFileName() override { return modulePath; }
  bool probeAdminRights() override {
    ++adminProbes;
    return adminRights;
  }
  bool readRegistryString(const std::string& subkey, const std::string& valueName,
                          std::string& value) override;
  bool isExecutableFile(const std::string& path) override {
    return notExecutable.count(path) == 0;
  }
  int runCommand(const std::string& commandLine) override;
  // Records the limits, then runs the line as runCommand does.
  CommandResult runLimitedCommand(const std::string& commandLine,
                                  const CommandLimits& limits) override;
  // Records the start and its limits, then hands the shown line to
  // onCommand; with startError set, the program is not started.
  CommandResult runProgram(const ProgramStart& start, const CommandLimits& limits) override;
  bool getEnvironment(const char* name, std::string& value) override;
  // TEMP of `environment` when it is set and not empty.
  bool temporaryDirectoryBase(std::string& base) override;
  bool createPrivateDirectory(const std::string& parent, std::string& created) override;
  int removeStalePrivateDirectories(const std::string& parent) override;
  HostLockResult acquireHostLock() override { return hostLock; }
  void removeDirectory(const std::string& path) override;
  void removePrivateDirectory(const std::string& path) override;
  bool forEachDirectoryEntry(const std::string& directory,
                             const std::function<void(const DirectoryEntry&)>& visit) override;

  // Writes `text` as the standard output of the program being started
  // (lastStart.outputPath). False when the file cannot be written.
  bool writeToolOutput(const std::string& text) const;

  std::string modulePath;
  bool adminRights = true;
  int adminProbes = 0;  // calls of probeAdminRights
  // What taking the host-wide lock gives.
  HostLockResult hostLock = HostLockResult::acquired;
  // Key "subkey\\valueName" -> value.
  std::map<std::string, std::string> registry;
  std::map<std::string, std::string> environment;
  CommandHandler onCommand;
  // Every command line run, in order, and the limits each ran with.
  std::vector<std::string> commands;
  std::vector<CommandLimits> commandLimits;
  // The last program started (runProgram).
  ProgramStart lastStart;
  // When not empty, no program starts: runProgram says why with this.
  std::string startError;
  // Paths that are no executable file; every other path is one.
  std::set<std::string> notExecutable;
};

}  // namespace vornup
