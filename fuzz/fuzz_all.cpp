#include "fuzz_image.h"

// Every input is verified twice: under an ALL name (with the checksum) and
// under an AIF name (sub-images back to back, no checksum).
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  vornup::fuzz::verifyInput(data, size, ".all", vornup::verifyAllFile);
  return vornup::fuzz::verifyInput(data, size, ".aif", vornup::verifyAllFile);
}
