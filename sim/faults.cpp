#include "sim/faults.h"

#include <cstdint>

namespace tandrelsim {
namespace {

constexpr std::size_t kGarbageSize = 2048;
constexpr std::size_t kGarbageLine = 64;

// Bytes of every value 0..255, the same for every run so failures repeat.
std::string garbage() {
  std::string text;
  uint32_t seed = 0x2545F491u;
  for (std::size_t i = 0; i < kGarbageSize; ++i) {
    seed = seed * 1664525u + 1013904223u;
    text += (i % kGarbageLine == kGarbageLine - 1) ? '\n' : static_cast<char>(seed >> 24);
  }
  return text;
}

// Diagnostic filler after the reply: no label the program reads, no
// "Complete" and no "reboot".
void padToHugeSize(std::string& text) {
  for (unsigned long record = 1; text.size() < kHugeOutputSize; ++record) {
    text += "Diagnostic record " + std::to_string(record) +
            ": link counters unchanged since the last reading\n";
  }
  text.resize(kHugeOutputSize);
  text.back() = '\n';
}

template <typename EachLine>
std::string rewriteLines(const std::string& text, EachLine each) {
  std::string result;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    bool ended = end != std::string::npos;
    std::string line = text.substr(start, (ended ? end : text.size()) - start);
    each(line);
    result += line;
    if (ended) result += '\n';
    start = ended ? end + 1 : text.size();
  }
  return result;
}

void lengthenLine(std::string& line) {
  if (line.size() >= kLongLineLength) return;
  line += ' ';
  line.append(kLongLineLength - line.size(), '~');
}

void poisonValue(std::string& line) {
  std::size_t colon = line.find(": ");
  if (colon != std::string::npos && colon + 2 < line.size()) {
    line.insert(colon + 3, 1, static_cast<char>(0xFF));
  }
  line += '\0';
}

std::string withCrLf(const std::string& text) {
  std::string result;
  for (char c : text) {
    if (c == '\n') result += '\r';
    result += c;
  }
  return result;
}

}  // namespace

void damageReply(FaultMode mode, std::string& text, int& exitStatus) {
  switch (mode) {
    case FaultMode::none:
      break;
    case FaultMode::noOutput:
      text.clear();
      break;
    case FaultMode::garbage:
      text = garbage();
      break;
    case FaultMode::cutOff:
      text.resize(text.size() / 2);
      break;
    case FaultMode::exitStatus:
      if (exitStatus == 0) exitStatus = 1;
      break;
    case FaultMode::huge:
      padToHugeSize(text);
      break;
    case FaultMode::longLines:
      text = rewriteLines(text, lengthenLine);
      break;
    case FaultMode::nulFf:
      text = rewriteLines(text, poisonValue);
      break;
    case FaultMode::crLf:
      text = withCrLf(text);
      break;
  }
}

}  // namespace tandrelsim
