// What a "download" command installs: the seam between the simulated
// adapter and the image file it is given.
#pragma once

#include <string>

#include "sim/host.h"

namespace tandrelsim {

struct DownloadImage {
  bool bootCode = false;  // boot code image; otherwise firmware
  // The version the port reports after the download; empty: unchanged.
  std::string version;
};

// Decides what downloading the image at `path` installs on `port`. Boot code
// images are the ".prg" files; every other image is firmware. The version is
// the port's "download-boot-version" or "download-fw-version" entry. This is
// the one place that would read the version from the image file itself.
DownloadImage describeDownloadImage(const std::string& path, const Port& port);

}  // namespace tandrelsim
