// The mixed host's install (tests/e2e/mixed/: fwmatrix.txt and an image of
// each kind in the firmware and boot directories), laid out once per harness
// process, and the rule every download must keep: it names an image of those
// directories that the readers accept.
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

// Stops the fuzzer when a download command names anything but an image of
// the install's firmware or boot directory that the readers accept.
inline void checkDownload(const std::string& line) {
  std::vector<std::string> args = tandrelsim::toolArguments(line);
  if (args.empty() || args[0] != "download") return;
  if (args.size() != 3) fail("download with other arguments", line);
  const std::string& path = args[2];
  const std::string& dir = installDirectory();
  if (!startsWith(path, dir + "firmware/") && !startsWith(path, dir + "boot/")) {
    fail("download from outside the image directories", line);
  }
  if (!tandrelsim::describeDownloadImage(path).accepted) fail("unverified image downloaded", line);
}

}  // namespace fuzz
}  // namespace vornup
