// Test support (POSIX): the installed program started as a child process of
// its own process group, with the install's environment, so that a test can
// signal it, run two side by side, or end it outright, and then wait for it
// with a limit.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "e2e/e2e_host.h"
#include "support/captured_run.h"

namespace vornup {

class LaunchedRun {
 public:
  // Starts the program of `host` with `args` in the host's work directory;
  // standard output and standard error go to <work>/<name>.out and .err
  // unless `stdoutDescriptor` is given. `extra` variables win over the
  // host's.
  LaunchedRun(const E2eHost& host, const std::vector<std::string>& args, const std::string& name,
              const std::map<std::string, std::string>& extra = {}, int stdoutDescriptor = -1)
      : outPath_(host.workDirectory() + name + ".out"),
        errPath_(host.workDirectory() + name + ".err") {
    std::map<std::string, std::string> variables;
    for (char** entry = environ; *entry != nullptr; ++entry) {
      std::string text = *entry;
      std::size_t equals = text.find('=');
      if (equals != std::string::npos) variables[text.substr(0, equals)] = text.substr(equals + 1);
    }
    for (const std::string& gone : host.unsetVariables()) variables.erase(gone);
    for (const auto& variable : host.environment()) variables[variable.first] = variable.second;
    for (const auto& variable : extra) variables[variable.first] = variable.second;
    std::vector<std::string> environmentText;
    for (const auto& variable : variables) {
      environmentText.push_back(variable.first + "=" + variable.second);
    }
    std::vector<std::string> argumentText = {host.programPath()};
    argumentText.insert(argumentText.end(), args.begin(), args.end());
    std::vector<char*> envp;
    for (std::string& text : environmentText) envp.push_back(&text[0]);
    envp.push_back(nullptr);
    std::vector<char*> argv;
    for (std::string& text : argumentText) argv.push_back(&text[0]);
    argv.push_back(nullptr);
    const std::string work = host.workDirectory();
    const std::string program = host.programPath();

    int out = stdoutDescriptor >= 0
                  ? stdoutDescriptor
                  : ::open(outPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    int err = ::open(errPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    pid_ = ::fork();
    if (pid_ == 0) {
      ::setpgid(0, 0);
      if (::chdir(work.c_str()) != 0) ::_exit(120);
      ::dup2(out, 1);
      ::dup2(err, 2);
      ::execve(program.c_str(), argv.data(), envp.data());
      ::_exit(121);
    }
    // Both sides set the group, so that a signal sent at once finds it.
    if (pid_ > 0) ::setpgid(pid_, pid_);
    if (stdoutDescriptor < 0 && out >= 0) ::close(out);
    if (err >= 0) ::close(err);
    EXPECT_GT(pid_, 0) << "cannot start " << program;
  }

  ~LaunchedRun() {
    if (pid_ > 0 && !ended_) {
      ::kill(-pid_, SIGKILL);
      int status;
      ::waitpid(pid_, &status, 0);
    }
  }

  LaunchedRun(const LaunchedRun&) = delete;
  LaunchedRun& operator=(const LaunchedRun&) = delete;

  pid_t pid() const { return pid_; }

  // Sends `signalNumber` to the program's process group, as a terminal or a
  // service manager does.
  void signalGroup(int signalNumber) const { ::kill(-pid_, signalNumber); }

  // Waits for the program to end; its exit code (128 + signal when a signal
  // ended it), or -1 when it did not end within `limit` (it is then killed).
  int wait(std::chrono::milliseconds limit = std::chrono::seconds(60)) {
    const auto until = std::chrono::steady_clock::now() + limit;
    for (;;) {
      int status = 0;
      pid_t reaped = ::waitpid(pid_, &status, WNOHANG);
      if (reaped == pid_) {
        ended_ = true;
        if (WIFEXITED(status)) return WEXITSTATUS(status);
        if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
        return -1;
      }
      if (std::chrono::steady_clock::now() >= until) {
        ADD_FAILURE() << "the program did not end in time";
        return -1;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }

  std::string out() const { return ScratchDirectory::readFile(outPath_); }
  std::string err() const { return ScratchDirectory::readFile(errPath_); }

 private:
  std::string outPath_;
  std::string errPath_;
  pid_t pid_ = -1;
  bool ended_ = false;
};

// A log without the lines that the run wrote on standard error (`errors`),
// each taken out once: what the log holds of standard output.
inline std::string withoutErrorLines(std::string log, const std::string& errors) {
  for (std::size_t start = 0; start < errors.size();) {
    std::size_t end = errors.find('\n', start);
    end = end == std::string::npos ? errors.size() : end + 1;
    const std::string line = errors.substr(start, end - start);
    const std::size_t at = log.find(line);
    if (at != std::string::npos) log.erase(at, line.size());
    start = end;
  }
  return log;
}

// Waits until the file at `path` holds a line that starts with `prefix`;
// false after `limit`.
inline bool waitForLine(const std::string& path, const std::string& prefix,
                        std::chrono::milliseconds limit = std::chrono::seconds(30)) {
  const auto until = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < until) {
    const std::string text = ScratchDirectory::readFile(path);
    for (std::size_t start = 0; start < text.size();) {
      std::size_t end = text.find('\n', start);
      if (end == std::string::npos) break;  // a line still being written
      if (text.compare(start, prefix.size(), prefix) == 0) return true;
      start = end + 1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return false;
}

}  // namespace vornup
