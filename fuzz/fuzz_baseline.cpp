// The baseline reader: any bytes are either a baseline whose every field
// keeps the reader's promises, or a refusal with a reason; never a crash.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/baseline.h"
#include "core/baseline_rule.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size > vornup::kMaxBaselineSize) return 0;
  const std::string text(reinterpret_cast<const char*>(data), size);
  vornup::Baseline baseline;
  std::string error;
  if (!vornup::readBaseline(text, baseline, error)) {
    if (error.empty()) std::abort();
    return 0;
  }
  if (baseline.version < 1) std::abort();
  for (const vornup::BaselineImage& image : baseline.images) {
    if (image.sha256.size() != 64 || image.file.empty()) std::abort();
  }
  // The rule runs on whatever was read.
  vornup::BaselineState state;
  state.signedMode = size % 2 == 0;
  state.loaded = true;
  state.baseline = baseline;
  for (const vornup::BaselineImage& image : baseline.images) {
    vornup::judgeImage(state, image.sha256, image.file.c_str(), image.kind, "model");
  }
  vornup::refusalText(vornup::ImageRefusal::olderVersion, state);
  return 0;
}
