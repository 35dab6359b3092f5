// The common body of the harnesses that play the management tool: the fuzzer
// input is split into one reply per tool call, the program runs on the
// in-process platform stand-in, and every command line it runs is checked to
// be a tool call that cannot turn into a command of its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "core/run_state.h"
#include "support/fake_platform.h"

namespace vornup {
namespace fuzz {

// Separates the replies in an input: the ASCII record separator, a byte the
// tool never prints.
constexpr char kReplySeparator = '\x1e';
constexpr char kToolPath[] = "\"/opt/korvane/Quenmar/Tandrel\"";

// The replies of an input, in call order.
inline std::vector<std::string> splitReplies(const uint8_t* data, std::size_t size) {
  std::vector<std::string> replies(1);
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == static_cast<uint8_t>(kReplySeparator)) {
      replies.emplace_back();
    } else {
      replies.back() += static_cast<char>(data[i]);
    }
  }
  return replies;
}

// A directory of this harness process, made once and removed at exit: the
// base of every run's temporary directory and the current directory while an
// input runs.
inline const std::string& workDirectory() {
  static const std::string path = [] {
    const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string made = std::string(base) + "/vornup_fuzz_work_" + std::to_string(getpid());
    if (mkdir(made.c_str(), 0700) != 0) std::abort();
    return made + "/";
  }();
  static const bool removedAtExit = std::atexit([] {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }) == 0;
  (void)removedAtExit;
  return path;
}

// The work directory is the current directory while this lives, so the debug
// trace "dbg.log" and relative log files land there and not where the fuzzer
// keeps its corpus and artifacts.
class InWorkDirectory {
 public:
  InWorkDirectory() {
    if (getcwd(previous_, sizeof previous_) == nullptr || chdir(workDirectory().c_str()) != 0) {
      std::abort();
    }
  }
  ~InWorkDirectory() {
    if (chdir(previous_) != 0) std::abort();
  }
  InWorkDirectory(const InWorkDirectory&) = delete;
  InWorkDirectory& operator=(const InWorkDirectory&) = delete;

 private:
  char previous_[4096];
};

// Stops the fuzzer with a message: a broken rule counts as a crash.
[[noreturn]] inline void fail(const char* rule, const std::string& detail) {
  std::fprintf(stderr, "vornup fuzz: %s: %s\n", rule, detail.c_str());
  std::abort();
}

// Only these characters may stand between the tool path and the output
// redirection: command names, hexadecimal addresses, switches and the quoted
// image paths below the harness's own directories.
inline void checkCommandLine(const std::string& line) {
  const std::string prefix = std::string(kToolPath) + " ";
  if (line.compare(0, prefix.size(), prefix) != 0) fail("command without the tool path", line);
  const std::size_t redirect = line.rfind(" > \"");
  if (redirect == std::string::npos || redirect < prefix.size()) fail("no redirection", line);
  for (std::size_t i = prefix.size(); i < redirect; ++i) {
    const char c = line[i];
    const bool allowed = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') ||
                         (c >= 'A' && c <= 'Z') || std::strchr(" :-._/\"", c) != nullptr;
    if (!allowed) fail("unsafe character on a command line", line);
  }
}

// The platform stand-in of one run: the tool answers call N with reply N
// (nothing once the replies run out); every command line is checked first.
class ScriptedTool {
 public:
  explicit ScriptedTool(std::vector<std::string> replies) : replies_(std::move(replies)) {
    platform.environment["TEMP"] = workDirectory();
    platform.onCommand = [this](const std::string& line) {
      checkCommandLine(line);
      if (onToolCall) onToolCall(line);
      const std::string& reply = next_ < replies_.size() ? replies_[next_] : none_;
      ++next_;
      if (!platform.writeToolOutput(reply)) fail("output not writable", line);
      // An odd-length reply also reports a failed command.
      return static_cast<int>(reply.size() % 2);
    };
  }

  // Called with every command line before it is answered.
  std::function<void(const std::string&)> onToolCall;
  FakePlatform platform;

 private:
  std::vector<std::string> replies_;
  std::size_t next_ = 0;
  const std::string none_;
};

// Points a run's console and debug trace at nowhere (every format is still
// expanded) and gives it a private temporary directory and the tool.
inline void prepareRun(RunState& run) {
  static std::FILE* nowhere = std::fopen("/dev/null", "w");
  run.programName = "vornup.exe";
  run.out.console = nowhere;
  run.out.debugTrace = nowhere;
  run.toolPath.set(kToolPath);
  std::string created;
  if (!run.platform.createPrivateDirectory(workDirectory(), created)) fail("no temp dir", "");
  run.tempDirectory.set(created.c_str());
  run.tempFilePath.format("%stemp.txt", created.c_str());
}

// Ends a run prepared above: the trace stays open for the next run, and the
// temporary directory must be empty by now (every tool output deleted).
inline void finishRun(RunState& run) {
  run.out.debugTrace = nullptr;
  const std::string directory = run.tempDirectory.c_str();
  if (rmdir(directory.c_str()) != 0) fail("temporary directory left behind", directory);
  run.tempDirectory.clear();
  run.tempFilePath.clear();
}

}  // namespace fuzz
}  // namespace vornup
