#include "fuzz_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  return vornup::fuzz::verifyInput(
      data, size, ".ufi", [](vornup::Output& out, const char* path, vornup::ImageIdText& result) {
        vornup::ImageFamily family = vornup::ImageFamily::none;
        return vornup::verifyUfiFile(out, path, result, family);
      });
}
