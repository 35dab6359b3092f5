// End-to-end test harness: the real program, copied into an install
// directory of its own (its program directory is where the executable lies),
// run as a child process with its own registry, temporary directory and
// environment, and judged by its console text and exit code.
//
// On POSIX the registry is a directory tree of the host's own
// (VORNUP_REGISTRY_ROOT); on Windows it is the real registry, whose Korvane
// keys the host clears when it starts and ends. Paths have blanks in them
// ("install dir", "temp dir") on purpose.
//
// Every run also asks for the run report (/json=, added last) unless the
// arguments name a report themselves or ask only for the usage text. When the run got past the
// switches the report must be there and agree with the console
// (e2e/report_check.h); it is then kept for the schema check after the
// tests (the collection folder VORNUP_REPORT_DIR).
#pragma once

#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "support/captured_run.h"

namespace vornup {

struct RunResult {
  int exitCode = -1;
  // Standard output and standard error, with Windows line ends as "\n".
  std::string console;
};

class E2eHost {
 public:
  E2eHost();
  ~E2eHost();
  E2eHost(const E2eHost&) = delete;
  E2eHost& operator=(const E2eHost&) = delete;

  // Runs the installed program with `args` in the work directory.
  RunResult run(std::initializer_list<std::string> args);
  RunResult run(const std::vector<std::string>& args);

  // POSIX: starts the program with `args`, waits until the file `watched`
  // holds `text`, kills the program with SIGKILL, then waits `settleMs`
  // milliseconds for what it started. Returns the shell's status.
  int runAndKill(const std::vector<std::string>& args, const std::string& watched,
                 const std::string& text, int settleMs);

  // The report that the runs ask for, where they put it.
  std::string reportPath() const;
  // The run history the runs append to (the setting HistoryFile names it).
  std::string historyPath() const { return scratch_.file("history.jsonl"); }
  // The program's settings key.
  static constexpr const char* kSettingsKey = "SOFTWARE\\Korvane\\vornup";
  // Whether runs ask for their report (on by default).
  void setReportChecks(bool on) { reportChecks_ = on; }
  // Checks the report at `report` of a run with `args` (a run started some
  // other way) as the runs of `run` are checked, and keeps it.
  void checkReport(const std::vector<std::string>& args, const RunResult& result,
                   const std::string& report);

  // Directories, each with a trailing separator.
  std::string installDirectory() const { return install_; }
  std::string workDirectory() const { return work_; }
  std::string tempDirectory() const { return temp_; }

  // Writes a file beside the program ("fwmatrix.txt", "firmware/x.all"
  // with '/' between folders).
  void writeInstallFile(const std::string& relativePath, const std::string& content);
  // Removes such a file (nothing happens when there is none).
  void removeInstallFile(const std::string& relativePath);
  // Creates a folder beside the program, with its parents.
  void makeInstallDirectory(const std::string& relativePath);
  // The full path of such a file as the host names it ('/' between folders
  // becomes the host's separator).
  std::string installPath(const std::string& relativePath) const;

  // Writes a file into, or reads a text file from, the work directory (the
  // program's current directory); Windows line ends are read as "\n".
  void writeWorkFile(const std::string& name, const std::string& content);
  std::string readWorkFile(const std::string& name) const;

  // Copies `executable` (a program of the build, such as the tool
  // simulator) to <install>/<suite>/Tandrel(.exe) and names the install
  // directory in the suite's registry key, as the suite's installer does.
  void installTool(const std::string& executable, const std::string& suite = "Quenmar");

  // Sets a string value of an HKEY_LOCAL_MACHINE key for the program.
  void setRegistryString(const std::string& subkey, const std::string& valueName,
                         const std::string& text);

  // Sets or unsets an environment variable of the program's runs.
  void setEnvironment(const std::string& name, const std::string& value);
  void unsetEnvironment(const std::string& name);

  // Makes the rights probe fail (POSIX only: the registry root becomes a
  // plain file).
  void denyRights();

  // True when no run left anything in the temporary directory.
  bool tempDirectoryIsEmpty() const;

  // For tests that start the program themselves (signals, runs side by
  // side): the installed program, the variables set and unset for its runs,
  // the registry root and the directory of the host lock (POSIX).
  std::string programPath() const { return program_; }
  const std::map<std::string, std::string>& environment() const { return environment_; }
  const std::vector<std::string>& unsetVariables() const { return unset_; }
  std::string registryRootPath() const { return registryRoot(); }
  std::string lockDirectoryPath() const { return scratch_.file("lock dir"); }
  // Runs the program from `path` (a copy the test made) from now on.
  void useProgramAt(const std::string& path) { program_ = path; }

  // A path of the build tree (as CMake names it) as the host names it.
  static std::string hostPath(const std::string& buildPath);

 private:
  std::string commandLine(const std::vector<std::string>& args) const;
  std::string environmentPrefix() const;
  static void writeFileBelow(const std::string& directory, const std::string& relativePath,
                             const std::string& content);
  std::string registryRoot() const { return scratch_.file("registry"); }

  ScratchDirectory scratch_;
  std::string install_;
  std::string work_;
  std::string temp_;
  std::string program_;
  std::map<std::string, std::string> environment_;
  std::vector<std::string> unset_;
  bool reportChecks_ = true;
};

}  // namespace vornup
