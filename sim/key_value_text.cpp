#include "sim/key_value_text.h"

#include <cstdio>

namespace tandrelsim {
namespace {

std::string trim(const std::string& text) {
  const char* blanks = " \t\r";
  std::size_t first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return std::string();
  std::size_t last = text.find_last_not_of(blanks);
  return text.substr(first, last - first + 1);
}

std::string lineError(int line, const char* reason) {
  return "line " + std::to_string(line) + ": " + reason;
}

}  // namespace

bool parseKeyValueText(const std::string& text, std::vector<Section>& sections,
                       std::string& error) {
  sections.clear();
  sections.push_back(Section{});
  if (text.find('\0') != std::string::npos) {
    error = "the file holds a NUL byte; it must be plain text";
    return false;
  }
  int lineNumber = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = trim(text.substr(start, end - start));
    start = end + 1;
    ++lineNumber;
    if (line.empty() || line[0] == '#' || line[0] == ';') continue;
    if (line[0] == '[') {
      if (line.back() != ']' || line.size() < 3) {
        error = lineError(lineNumber, "a section header is written [name]");
        return false;
      }
      Section section;
      section.name = trim(line.substr(1, line.size() - 2));
      section.line = lineNumber;
      sections.push_back(section);
      continue;
    }
    std::size_t equals = line.find('=');
    if (equals == std::string::npos || equals == 0) {
      error = lineError(lineNumber, "expected \"key = value\", \"[section]\" or a # comment");
      return false;
    }
    KeyValue entry;
    entry.key = lowerAscii(trim(line.substr(0, equals)));
    entry.value = trim(line.substr(equals + 1));
    entry.line = lineNumber;
    sections.back().entries.push_back(entry);
  }
  return true;
}

bool readWholeFile(const std::string& path, std::string& text) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  text.clear();
  char buffer[4096];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
  bool failed = std::ferror(file) != 0;
  std::fclose(file);
  return !failed;
}

std::string lowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

bool equalsIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && lowerAscii(a) == lowerAscii(b);
}

}  // namespace tandrelsim
