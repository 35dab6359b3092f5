// The plain-text layout shared by the simulator's host file and state file:
// "[section]" headers, "key = value" lines, and comment lines starting with
// '#' or ';'. Values are taken verbatim (only the blanks around them are
// dropped), so a host file can hand the simulator any text it should print.
#pragma once

#include <string>
#include <vector>

namespace tandrelsim {

struct KeyValue {
  std::string key;
  std::string value;
  int line = 0;
};

struct Section {
  std::string name;  // "" for the lines before the first header
  int line = 0;
  std::vector<KeyValue> entries;
};

// Splits `text` into sections. False, with `error` naming the line, when a
// line is neither blank, a comment, a header nor a "key = value" line, or when
// the text holds a NUL byte.
bool parseKeyValueText(const std::string& text, std::vector<Section>& sections,
                       std::string& error);

// Reads a whole file as bytes; false when it cannot be opened.
bool readWholeFile(const std::string& path, std::string& text);

// Lower-cases A-Z only.
std::string lowerAscii(std::string text);

bool equalsIgnoringCase(const std::string& a, const std::string& b);

}  // namespace tandrelsim
