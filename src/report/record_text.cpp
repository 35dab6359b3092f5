#include "report/record_text.h"

namespace vornup {
namespace {

// The length of the UTF-8 sequence that starts at `at`, 0 when it is none.
std::size_t utf8Length(const std::string& text, std::size_t at) {
  const unsigned char lead = static_cast<unsigned char>(text[at]);
  std::size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead < 0xE0 ? 2
                                   : lead >= 0xE0 && lead < 0xF0   ? 3
                                   : lead >= 0xF0 && lead < 0xF5   ? 4
                                                                   : 0;
  if (length == 0 || at + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    if ((static_cast<unsigned char>(text[at + k]) & 0xC0) != 0x80) return 0;
  }
  const unsigned char second = static_cast<unsigned char>(length > 1 ? text[at + 1] : 0);
  // Overlong forms, surrogates and code points above U+10FFFF.
  if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) ||
      (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second >= 0x90)) {
    return 0;
  }
  return length;
}

}  // namespace

std::string escapedRecordText(const std::string& text) {
  std::string value;
  for (std::size_t at = 0; at < text.size();) {
    const char c = text[at];
    if (c == '\\' || c == '"') {
      value += '\\';
      value += c;
      ++at;
    } else if (c == '\n') {
      value += "\\n";
      ++at;
    } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
      value += '?';
      ++at;
    } else if (const std::size_t length = utf8Length(text, at)) {
      value.append(text, at, length);
      at += length;
    } else {
      value += '?';
      ++at;
    }
  }
  return value;
}

}  // namespace vornup
