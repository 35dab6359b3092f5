#include "tool/label_reader.h"

#include <cstring>

namespace vornup {
namespace {

constexpr char kNotAvailable[] = "N/A";
// Scratch size for numbers read from a label.
constexpr std::size_t kNumberTextSize = 32;

void store(char* destination, std::size_t size, const char* text) {
  if (size == 0) return;
  std::size_t length = std::strlen(text);
  if (length >= size) length = size - 1;
  std::memcpy(destination, text, length);
  destination[length] = '\0';
}

// The start of the value of the first `label` in `text`: past the colon that
// follows the label and any blanks. Null when either is missing.
const char* findValue(const char* label, const char* text) {
  const char* found = std::strstr(text, label);
  if (found == nullptr) return nullptr;
  const char* colon = std::strchr(found, ':');
  if (colon == nullptr) return nullptr;
  const char* value = colon + 1;
  while (*value == ' ') ++value;
  return value;
}

}  // namespace

int getLabelValue(const char* label, const char* text, char* destination, std::size_t size) {
  const char* value = findValue(label, text);
  if (value == nullptr) {
    store(destination, size, kNotAvailable);
    return 1;
  }
  std::size_t used = 0;
  for (; *value != '\0' && *value != '\n' && *value != '\r' && *value != ' '; ++value) {
    if (*value != '.' && used + 1 < size) destination[used++] = *value;
  }
  if (size > 0) destination[used] = '\0';
  upcaseText(destination);
  return 0;
}

int getLabelToken(const char* label, const char* text, char* destination, std::size_t size) {
  const char* value = findValue(label, text);
  std::size_t used = 0;
  if (value != nullptr) {
    for (; std::strchr("\n\r ,\t\xFF", *value) == nullptr; ++value) {
      if (used + 1 < size) destination[used++] = *value;
    }
  }
  if (used == 0) {
    store(destination, size, kNotAvailable);
    return 1;
  }
  destination[used] = '\0';
  return 0;
}

int hexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void upcaseText(char* text) {
  for (; *text != '\0'; ++text) {
    if (*text >= 'a' && *text <= 'z') *text = static_cast<char>(*text - 'a' + 'A');
  }
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
  char number[kNumberTextSize];
  if (getLabelValue(label, text, number, sizeof number) != 0) return 0;
  return hexValue(number);
}

}  // namespace vornup
