#include "tool/label_reader.h"

#include <cstring>

namespace vornup {
namespace {

// Scratch size for numbers read from a label.
constexpr std::size_t kNumberTextSize = 32;

}  // namespace

const char* findLabelValue(const char* label, const char* text) {
  const char* found = std::strstr(text, label);
  if (found == nullptr) return nullptr;
  const char* colon = std::strchr(found, ':');
  if (colon == nullptr) return nullptr;
  const char* value = colon + 1;
  while (*value == ' ') ++value;
  return value;
}

uint32_t hexValue(const char* text) {
  if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X') && hexDigitValue(text[2]) >= 0)
    text += 2;
  uint64_t value = 0;
  for (; hexDigitValue(*text) >= 0; ++text) {
    value = value * 16 + static_cast<uint64_t>(hexDigitValue(*text));
    if (value > 0xFFFFFFFFu) return 0xFFFFFFFFu;
  }
  return static_cast<uint32_t>(value);
}

uint32_t readHexLabel(const char* label, const char* text) {
  FixedText<kNumberTextSize> number;
  if (!getLabelValue(label, text, number)) return 0;
  return hexValue(number.c_str());
}

}  // namespace vornup
