// ASCII text comparisons that ignore letter case. Only a-z and A-Z fold:
// serial numbers, model names and file names are compared byte for byte
// otherwise, whatever the C library's locale says.
#pragma once

namespace vornup {

constexpr char asciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

inline bool equalsIgnoringCase(const char* a, const char* b) {
  while (*a != '\0' && asciiUpper(*a) == asciiUpper(*b)) {
    ++a;
    ++b;
  }
  return asciiUpper(*a) == asciiUpper(*b);
}

}  // namespace vornup
