// The mixed host's install (tests/e2e/mixed/: fwmatrix.txt and an image of
// each kind in the firmware and boot directories), laid out once per harness
// process, and the rule every download must keep: it names the run's private
// copy of an image of those directories, and the readers accept the copy.
#pragma once

#include <string>
#include <vector>

#include <sys/stat.h>

#include "e2e/mixed_install.h"
#include "fuzz_tool.h"
#include "sim/download_image.h"
#include "sim/fake_tool.h"

namespace vornup {
namespace fuzz {

// The program's directory, with the separator.
inline const std::string& installDirectory() {
  static const std::string made = [] {
    const std::string dir = workDirectory() + "install/";
    for (const std::string& d : {dir, dir + "firmware/", dir + "boot/"}) {
      if (mkdir(d.c_str(), 0700) != 0) fail("cannot make", d);
    }
    std::string error;
    if (!mixedinstall::writeInstall(VORNUP_MIXED_DIR, dir, error)) fail("install", error);
    return dir;
  }();
  return made;
}

inline bool startsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

inline bool isRegularFile(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Stops the fuzzer when a download command names anything but the run's
// private copy of an image of the install's firmware or boot directory, or
// a copy that the readers do not accept.
inline void checkDownload(const std::string& line) {
  std::vector<std::string> args = tandrelsim::toolArguments(line);
  if (args.empty() || args[0] != "download") return;
  if (args.size() != 3) fail("download with other arguments", line);
  const std::string& path = args[2];
  // <work>/[<temp>/]vornup-<pid>-XXXXXX/<image name>: a file right inside a
  // private directory of the harness's own, under its own name.
  const std::size_t slash = path.rfind('/');
  const std::size_t parent = slash == std::string::npos ? slash : path.rfind('/', slash - 1);
  if (!startsWith(path, workDirectory()) || parent == std::string::npos ||
      path.compare(parent + 1, 7, "vornup-") != 0) {
    fail("download of anything but a private copy", line);
  }
  const std::string name = path.substr(slash + 1);
  const std::string& dir = installDirectory();
  if (!isRegularFile(dir + "firmware/" + name) && !isRegularFile(dir + "boot/" + name)) {
    fail("download of a copy of no image of the image directories", line);
  }
  if (!tandrelsim::describeDownloadImage(path).accepted) fail("unverified image downloaded", line);
}

}  // namespace fuzz
}  // namespace vornup
