// Readers for the management tool's text: a label somewhere in the text,
// then (anywhere after it) a colon, optional blanks and the value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "core/fixed_text.h"
#include "core/placeholder_text.h"
#include "core/text_compare.h"

namespace vornup {

// Where the value of the first `label` in `text` starts: past the colon that
// follows the label and any blanks. Null when either is missing.
const char* findLabelValue(const char* label, const char* text);

// Finds the first `label` in `text` and copies its value up to the next line
// end or blank, every '.' dropped and letters upper-cased (2.72a2 -> 272A2).
// Whether the label was found: false, with "N/A" stored, when the label, or
// the colon after it, is missing. The copy is cut to the destination's size.
template <std::size_t N>
bool getLabelValue(const char* label, const char* text, FixedText<N>& destination) {
  const char* value = findLabelValue(label, text);
  if (value == nullptr) {
    destination.set(kNotAvailableText);
    return false;
  }
  destination.clear();
  for (; *value != '\0' && *value != '\n' && *value != '\r' && *value != ' '; ++value) {
    if (*value != '.' && !destination.appendChar(*value)) break;
  }
  destination.upcase();
  return true;
}

// Finds the first `label` in `text` and copies its value unchanged up to the
// next line end, blank, tab, comma or 0xFF byte. Whether a value was found:
// false, with "N/A" stored, when the label or its colon is missing or the
// value is empty.
template <std::size_t N>
bool getLabelToken(const char* label, const char* text, FixedText<N>& destination) {
  const char* value = findLabelValue(label, text);
  destination.clear();
  if (value != nullptr) {
    for (; std::strchr("\n\r ,\t\xFF", *value) == nullptr; ++value) {
      if (!destination.appendChar(*value)) break;
    }
  }
  if (destination.empty()) {
    destination.set(kNotAvailableText);
    return false;
  }
  return true;
}

// The hexadecimal number at the start of `text` (an optional 0x first),
// stopping at the first other character; 0 without digits. Values beyond 32
// bits read as 0xFFFFFFFF.
uint32_t hexValue(const char* text);

// The value of `label` in `text` read as a hexadecimal number; 0 when the
// label is absent.
uint32_t readHexLabel(const char* label, const char* text);

}  // namespace vornup
