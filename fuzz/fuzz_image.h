// The common body of the image reader harnesses: the readers take a path, so
// each input is written to a scratch file with the format's extension and
// verified there, with the debug trace on so that every trace line is
// formatted as well.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include <unistd.h>

#include "core/output.h"
#include "images/image_verify.h"

namespace vornup {
namespace fuzz {

// One scratch file per harness process and extension (parallel jobs get
// their own).
inline std::string scratchPath(const char* extension) {
  const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  return std::string(dir) + "/vornup_fuzz_" + std::to_string(getpid()) + extension;
}

inline bool writeScratch(const std::string& path, const uint8_t* data, std::size_t size) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  bool written = std::fwrite(data, 1, size, file) == size;
  return std::fclose(file) == 0 && written;
}

inline Output& traceToNowhere() {
  static Output out;
  if (out.debugTrace == nullptr) out.debugTrace = std::fopen("/dev/null", "w");
  out.silent = true;
  return out;
}

// Writes the input as a file with `extension` and hands its path to `verify`.
template <typename Verify>
int verifyInput(const uint8_t* data, std::size_t size, const char* extension, Verify verify) {
  const std::string path = scratchPath(extension);
  if (!writeScratch(path, data, size)) return 0;
  ImageIdText result;
  verify(traceToNowhere(), path.c_str(), result);
  std::remove(path.c_str());
  return 0;
}

}  // namespace fuzz
}  // namespace vornup
