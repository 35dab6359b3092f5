// What a "download" command installs: the simulated adapter reads the image
// file it is given with the program's own image readers, as the real tool
// checks an image before it flashes it.
#pragma once

#include <string>

namespace tandrelsim {

struct DownloadImage {
  bool accepted = false;  // a Korvane image that one of the readers accepts
  bool bootCode = false;  // boot code (a PRG image); otherwise firmware
  // The version the port reports after the download, in the tool's notation:
  // "2.90A1" for Fibre Channel identifier "ZF290A1", "4.1.0.0" for a
  // converged or Halvard image.
  std::string version;
  // Why the image is refused, for "Download failed: ..." (accepted false).
  std::string problem;
};

// Reads the image at `path`. The image is recognised by its content: the
// first of the readers (PRG, ALL, UFI, GRP) that accepts the file decides.
DownloadImage describeDownloadImage(const std::string& path);

// The tool's notation of an image identifier: a Fibre Channel identifier
// (type code letters, then the version) loses its letters and gains a dot
// after the major digit; a converged one stays as it is.
std::string toolVersionText(const std::string& decodedId, bool fibreChannel);

}  // namespace tandrelsim
