// Fixed-size, NUL-terminated text fields.
//
// The adapter record, the image list node and the run state keep their text in
// fields of a fixed size, because those sizes show in the program's behaviour
// (a 32-character file name is refused, a result line is cut at 255 characters).
// Every write into such a field goes through this template, so no copy can run
// past the end of the buffer: text that does not fit is cut, and the writer is
// told so.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "core/printf_check.h"
#include "core/text_compare.h"

namespace vornup {

template <std::size_t N>
class FixedText {
  static_assert(N >= 1, "a text field needs room for its terminator");

 public:
  static constexpr std::size_t kCapacity = N;  // buffer size, terminator included
  static constexpr std::size_t kMaxLength = N - 1;

  FixedText() { text_[0] = '\0'; }
  explicit FixedText(const char* text) { set(text); }

  // Replaces the content; returns false when the text had to be cut.
  bool set(const char* text) {
    text_[0] = '\0';
    return append(text);
  }

  // Replaces the content with at most `count` characters of `text`.
  bool assign(const char* text, std::size_t count) {
    text_[0] = '\0';
    return appendCount(text, count);
  }

  bool append(const char* text) {
    return appendCount(text, text == nullptr ? 0 : std::strlen(text));
  }

  // Appends at most `count` characters of `text` (stopping early at a NUL).
  bool appendCount(const char* text, std::size_t count) {
    if (text == nullptr) return true;
    std::size_t used = length();
    std::size_t given = 0;
    while (given < count && text[given] != '\0') ++given;
    std::size_t room = kMaxLength - used;
    std::size_t copied = given < room ? given : room;
    std::memcpy(text_ + used, text, copied);
    text_[used + copied] = '\0';
    return copied == given;
  }

  bool appendChar(char c) {
    char one[2] = {c, '\0'};
    return appendCount(one, 1);
  }

  // Replaces the content with formatted text; returns false when it was cut.
  bool format(const char* fmt, ...) VORNUP_PRINTF(2, 3) {
    va_list args;
    va_start(args, fmt);
    int wanted = std::vsnprintf(text_, N, fmt, args);
    va_end(args);
    if (wanted < 0) {
      text_[0] = '\0';
      return false;
    }
    return static_cast<std::size_t>(wanted) <= kMaxLength;
  }

  // Cuts the text after `count` characters (no effect when it is shorter).
  void truncate(std::size_t count) {
    if (count < length()) text_[count] = '\0';
  }

  // Turns a-z into A-Z; every other byte stays.
  void upcase() {
    for (char* c = text_; *c != '\0'; ++c) *c = asciiUpper(*c);
  }

  // Replaces the character at `index`, which must lie inside the text (a
  // NUL is not written); false otherwise.
  bool replaceAt(std::size_t index, char c) {
    if (c == '\0' || index >= length()) return false;
    text_[index] = c;
    return true;
  }

  // Replaces the text from `offset` on by `text`, cut to the buffer. The
  // offset must lie inside the text or at its end: past the end nothing is
  // written. False when nothing was written or the text had to be cut.
  bool writeAt(std::size_t offset, const char* text) {
    if (offset > length()) return false;
    text_[offset] = '\0';
    return append(text);
  }

  void clear() { text_[0] = '\0'; }
  bool empty() const { return text_[0] == '\0'; }
  std::size_t length() const { return std::strlen(text_); }
  const char* c_str() const { return text_; }

  bool equals(const char* text) const { return std::strcmp(text_, text) == 0; }

 private:
  char text_[N];
};

}  // namespace vornup
