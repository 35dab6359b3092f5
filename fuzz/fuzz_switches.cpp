// The command line: the input is the argument vector, arguments separated by
// NUL bytes. The switches are parsed, checked and traced, the usage text is
// printed, all into nowhere. Log files are opened inside the harness's own
// directory only: every name after "=" is reduced to a plain file name there,
// and the files are removed after each input.
#include "fuzz_tool.h"

#include <dirent.h>

#include "driver/run_outcomes.h"
#include "driver/switch_check.h"
#include "driver/switches.h"
#include "driver/usage.h"

namespace {

// A log switch's file name stays inside the work directory: separators and
// leading dots become '_'; a name made only of those keeps one '_'.
std::string confine(const std::string& argument) {
  const bool logSwitch = argument.size() > 1 && argument[0] == '/' &&
                         (argument[1] == 'l' || argument[1] == 'L');
  const std::size_t equals = argument.find('=');
  if (!logSwitch || equals == std::string::npos) return argument;
  std::string result = argument.substr(0, equals + 1);
  for (std::size_t i = equals + 1; i < argument.size(); ++i) {
    char c = argument[i];
    if (c == '/' || c == '\\' || (c == '.' && i == equals + 1)) c = '_';
    result += c;
  }
  return result;
}

// Removes what the runs wrote into the work directory (log files, dbg.log).
void clearWorkDirectory() {
  const std::string& dir = vornup::fuzz::workDirectory();
  DIR* listing = opendir(dir.c_str());
  if (listing == nullptr) return;
  while (dirent* entry = readdir(listing)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") std::remove((dir + name).c_str());
  }
  closedir(listing);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  using namespace vornup;
  fuzz::InWorkDirectory inWork;
  std::vector<std::string> args = {"vornup"};
  std::string current;
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      args.push_back(confine(current));
      current.clear();
    } else {
      current += static_cast<char>(data[i]);
    }
  }
  if (size > 0) args.push_back(confine(current));
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(&arg[0]);
  argv.push_back(nullptr);

  FakePlatform platform;
  RunState run(platform);
  static std::FILE* nowhere = std::fopen("/dev/null", "w");
  run.programName = "vornup.exe";
  run.out.console = nowhere;
  const SwitchOutcome outcome = parseSwitches(run, static_cast<int>(args.size()), argv.data());
  const int parsed = exitStatus(exitCodeOf(outcome));
  if (parsed != 0 && parsed != 4) fuzz::fail("parse result", std::to_string(parsed));
  if (outcome != SwitchOutcome::accepted || run.sw.help) printUsage(run);
  // Whatever the switches, a tool command keeps a limit.
  if (run.toolTimeLimits.query.count() <= 0 || run.toolTimeLimits.download.count() <= 0 ||
      run.toolTimeLimits.query > run.toolTimeLimits.download) {
    fuzz::fail("time limits", "");
  }
  if (validateSwitches(run)) {
    // A combination that passes has no conflict left.
    const Switches& sw = run.sw;
    if ((sw.rewrite && (sw.downgrade || sw.update)) || (sw.downgrade && sw.update)) {
      fuzz::fail("conflicting switches accepted", "");
    }
    if ((sw.forceFw || sw.forceBootCode) && (sw.update || sw.rewrite || sw.downgrade)) {
      fuzz::fail("force switch left a comparing operation", "");
    }
  }
  run.out.closeLog();
  run.out.closeTrace();
  clearWorkDirectory();
  return 0;
}
