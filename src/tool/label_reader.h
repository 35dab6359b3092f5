// Readers for the management tool's text: a label somewhere in the text,
// then (anywhere after it) a colon, optional blanks and the value.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/fixed_text.h"

namespace vornup {

// Finds the first `label` in `text` and copies its value up to the next line
// end or blank, every '.' dropped and letters upper-cased (2.72a2 -> 272A2).
// Returns 0, or 1 with "N/A" stored when the label, or the colon after it, is
// missing. The copy is cut to the destination's size.
int getLabelValue(const char* label, const char* text, char* destination, std::size_t size);

// Finds the first `label` in `text` and copies its value unchanged up to the
// next line end, blank, tab, comma or 0xFF byte. Returns 0, or 1 with "N/A"
// stored when the label or its colon is missing or the value is empty.
int getLabelToken(const char* label, const char* text, char* destination, std::size_t size);

template <std::size_t N>
int getLabelValue(const char* label, const char* text, FixedText<N>& destination) {
  return getLabelValue(label, text, destination.data(), N);
}

template <std::size_t N>
int getLabelToken(const char* label, const char* text, FixedText<N>& destination) {
  return getLabelToken(label, text, destination.data(), N);
}

// Turns a-z into A-Z in place; every other byte stays.
void upcaseText(char* text);

// The value of a hexadecimal digit, or -1 for any other character.
int hexDigitValue(char c);

// The hexadecimal number at the start of `text` (an optional 0x first),
// stopping at the first other character; 0 without digits. Values beyond 32
// bits read as 0xFFFFFFFF.
uint32_t hexValue(const char* text);

// The value of `label` in `text` read as a hexadecimal number; 0 when the
// label is absent.
uint32_t readHexLabel(const char* label, const char* text);

}  // namespace vornup
