#include "driver/run_setup.h"

#include <cstring>
#include <string>

#include "driver/version.h"
#include "platform/host_names.h"
#include "platform/platform.h"

namespace vornup {
namespace {

constexpr char kProgramTitle[] = "vornupOnline";
constexpr char kVersionFormat[] = "%d.%d.%d.%d";
constexpr char kCurrentDirectoryFormat[] = ".%c";
// The longest program directory, separator included; the paths built from it
// then stay below 256 characters.
constexpr std::size_t kMaxBinDirectory = 220;

void useCurrentDirectory(RunState& run) {
  run.binDirectory.format(kCurrentDirectoryFormat, kPathSeparator);
}

}  // namespace

void recordBinDirectory(RunState& run, int argc, char** argv) {
  const char* first = (argc > 0 && argv[0] != nullptr) ? argv[0] : "";
  if (std::strlen(first) > kMaxBinDirectory) return useCurrentDirectory(run);

  std::string name;
  for (char c : run.platform.moduleFileName()) {
    if (c != '"') name += c;
  }
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

}  // namespace vornup
