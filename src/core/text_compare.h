// ASCII text comparisons, most of them ignoring letter case. Only a-z and A-Z fold:
// serial numbers, model names and file names are compared byte for byte
// otherwise, whatever the C library's locale says.
#pragma once

#include <cstring>

namespace vornup {

constexpr char asciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

// The value of a hexadecimal digit, or -1 for any other character.
constexpr int hexDigitValue(char c) {
  return (c >= '0' && c <= '9')   ? c - '0'
         : (c >= 'a' && c <= 'f') ? c - 'a' + 10
         : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                  : -1;
}

inline bool equalsIgnoringCase(const char* a, const char* b) {
  while (*a != '\0' && asciiUpper(*a) == asciiUpper(*b)) {
    ++a;
    ++b;
  }
  return asciiUpper(*a) == asciiUpper(*b);
}

// Whether `part` occurs in `text`, byte for byte.
inline bool containsText(const char* text, const char* part) {
  return std::strstr(text, part) != nullptr;
}

}  // namespace vornup
