#include "fuzz_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  return vornup::fuzz::verifyInput(data, size, ".prg", vornup::verifyPrgFile);
}
