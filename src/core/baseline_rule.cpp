#include "core/baseline_rule.h"

#include <algorithm>

#include "core/text_compare.h"

namespace vornup {
namespace {

struct RefusalWords {
  ImageRefusal refusal;
  const char* name;
  const char* text;
};

// clang-format off
constexpr RefusalWords kRefusalWords[] = {
    {ImageRefusal::none,             "none",              ""},
    {ImageRefusal::notSigned,        "not_signed",        "not signed"},
    {ImageRefusal::signatureInvalid, "signature_invalid", "signature invalid"},
    {ImageRefusal::unknownKey,       "unknown_key",       "unknown key"},
    {ImageRefusal::expired,          "expired",           "baseline expired at "},
    {ImageRefusal::olderVersion,     "older_version",     "baseline version "},
    {ImageRefusal::versionReused,    "version_reused",    "baseline version "},
    {ImageRefusal::notListed,        "not_listed",        "not listed"},
    {ImageRefusal::modelNotAllowed,  "model_not_allowed", "model not allowed"},
    {ImageRefusal::blocked,          "blocked",           "blocked"},
};
// clang-format on

const RefusalWords& wordsOf(ImageRefusal refusal) {
  for (const RefusalWords& words : kRefusalWords) {
    if (words.refusal == refusal) return words;
  }
  return kRefusalWords[0];
}

bool isBlocked(const Baseline& baseline, const std::string& sha256) {
  return std::find(baseline.blocked.begin(), baseline.blocked.end(), sha256) !=
         baseline.blocked.end();
}

bool allowsModel(const BaselineImage& image, const char* model) {
  if (image.models.empty()) return true;
  return std::any_of(image.models.begin(), image.models.end(),
                     [&](const std::string& allowed) { return equalsIgnoringCase(allowed.c_str(), model); });
}

}  // namespace

ImageRefusal judgeImage(const BaselineState& state, const std::string& sha256, const char* file,
                        ImageKind kind, const char* model) {
  if (state.signedMode && state.refusal != ImageRefusal::none) return state.refusal;
  if (state.signedMode && !state.loaded) return ImageRefusal::notSigned;
  if (!state.loaded) return ImageRefusal::none;
  if (isBlocked(state.baseline, sha256)) return ImageRefusal::blocked;
  if (!state.signedMode) return ImageRefusal::none;
  bool listed = false;
  for (const BaselineImage& image : state.baseline.images) {
    // File names compare without regard to letter case, as Windows finds them.
    if (image.sha256 != sha256 || image.kind != kind || !equalsIgnoringCase(image.file.c_str(), file)) {
      continue;
    }
    if (allowsModel(image, model)) return ImageRefusal::none;
    listed = true;
  }
  return listed ? ImageRefusal::modelNotAllowed : ImageRefusal::notListed;
}

std::string refusalText(ImageRefusal refusal, const BaselineState& state) {
  std::string text = wordsOf(refusal).text;
  const Baseline& baseline = state.baseline;
  switch (refusal) {
    case ImageRefusal::expired:
      text += baseline.expiresText;
      break;
    case ImageRefusal::olderVersion:
      text += std::to_string(baseline.version) + " older than " +
              std::to_string(state.acceptedVersion);
      break;
    case ImageRefusal::versionReused:
      text += std::to_string(baseline.version) + " was accepted before with other content";
      break;
    default:
      break;
  }
  return text;
}

const char* refusalName(ImageRefusal refusal) { return wordsOf(refusal).name; }

}  // namespace vornup
