#include "driver/run_setup.h"

#include <cctype>
#include <cstring>
#include <string>

#include "core/command_text.h"
#include "driver/switches.h"
#include "driver/version.h"
#include "platform/host_names.h"
#include "platform/interrupts.h"
#include "platform/platform.h"

namespace vornup {
namespace {

constexpr char kProgramTitle[] = "vornupOnline";
constexpr char kVersionFormat[] = "%d.%d.%d.%d";
constexpr char kCurrentDirectoryFormat[] = ".%c";
// The longest program directory, separator included; the paths built from it
// then stay below 256 characters.
constexpr std::size_t kMaxBinDirectory = 220;

constexpr char kToolStillRuns[] =
    "%s: the tool command of an earlier run (%s) still runs; it holds the host-wide lock\n";
constexpr char kProgramDirectoryNamed[] =
    "%s: Error - the program directory %s cannot stand on a tool command line\n";

void useCurrentDirectory(RunState& run) {
  run.binDirectory.format(kCurrentDirectoryFormat, kPathSeparator);
}

}  // namespace

void recordBinDirectory(RunState& run, int argc, char** argv) {
  const char* first = (argc > 0 && argv[0] != nullptr) ? argv[0] : "";
  if (std::strlen(first) > kMaxBinDirectory) return useCurrentDirectory(run);

  // Taken as it is: a character dropped here would name another directory
  // (checkProgramDirectory refuses what cannot go on a command line).
  std::string name = run.platform.moduleFileName();
  std::size_t separator = name.rfind(kPathSeparator);
  // A directory too long for binDirectory is not cut: a cut path would name
  // some other directory.
  if (separator == std::string::npos || separator + 1 > kMaxBinDirectory) {
    return useCurrentDirectory(run);
  }
  run.binDirectory.assign(name.c_str(), separator + 1);
}

void initRunState(RunState& run) {
  run.programName = kProgramName;
  run.toolFileName = kToolFileName;
  run.programTitle = kProgramTitle;
  run.counters = Counters();
}

void formatVersionString(RunState& run) {
  run.versionString.format(kVersionFormat, kVersionMajor, kVersionMinor, kVersionPatch,
                           kVersionBuild);
}

bool checkAdminRights(RunState& run) { return run.platform.probeAdminRights(); }

void prepareInterrupts() { installInterruptHandlers(); }

bool asksOnlyForUsage(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const char* argument = argv[i];
    if (argument == nullptr || argument[0] != '/') return false;
    bool help = false;
    for (std::size_t k = 0; k < kSwitchTableSize && !help; ++k) {
      if (kSwitchTable[k].flag != &Switches::help) continue;
      const char* name = kSwitchTable[k].name;
      const char* text = argument + 1;
      while (*text != '\0' && std::tolower(static_cast<unsigned char>(*text)) == *name) {
        ++text;
        ++name;
      }
      help = *text == '\0' && *name == '\0';
    }
    if (!help) return false;
  }
  return true;
}

HostClaim claimHost(RunState& run) {
  HostLockResult lock = run.platform.acquireHostLock();
  run.record.lock = lock == HostLockResult::acquired           ? HostLockState::held
                    : lock == HostLockResult::heldByAnotherRun ? HostLockState::heldByAnotherRun
                                                               : HostLockState::unavailable;
  if (lock == HostLockResult::heldByAnotherRun) {
    const std::string holder = run.platform.hostLockHolder();
    if (!holder.empty()) run.out.errorOut(kToolStillRuns, run.programName, holder.c_str());
    return HostClaim::anotherRun;
  }
  // A run without administrator rights cannot make the lock file either; it
  // gets the rights error it always got.
  if (!checkAdminRights(run)) return HostClaim::noRights;
  return lock == HostLockResult::acquired ? HostClaim::claimed : HostClaim::lockUnavailable;
}

bool checkProgramDirectory(RunState& run) {
  if (isSafeQuotedText(run.binDirectory.c_str())) return true;
  run.out.errorOut(kProgramDirectoryNamed, run.programName, run.binDirectory.c_str());
  return false;
}

}  // namespace vornup
