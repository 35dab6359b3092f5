// The ways a run may end, as administrators' scripts rely on them: the exit
// codes the program documents and the status lines that carry them. Whatever
// the tool, the files or the switches hold, a run ends with one of these.
#pragma once

#include <cstddef>
#include <string>

namespace vornup {
namespace outcomes {

// Every exit code the program documents.
inline bool isDocumentedExitCode(int code) {
  static const int kCodes[] = {0, 1, 2, 3, 4, 5, 6, 7, 11, 12, 13, 14, 15, 16};
  for (int known : kCodes) {
    if (code == known) return true;
  }
  return false;
}

// The status lines that end a run, without their surrounding line ends; "%s"
// stands for any text of one line (the program name, a noun), "%d" for the
// exit code.
constexpr const char* kStatusLines[] = {
    "%s: Operation complete - Return Code=%d",
    "%s: All required %s succeeded - Return Code=%d",
    "%s: Error - all required %s failed - Return Code=%d",
    "%s: Error - some required %s failed - Return Code=%d",
    "%s: No %s required - Return Code=%d",
    "%s: Unknown status - %s - Return Code=%d",
    "%s: No compatible firmware found - Return Code=%d",
    "%s: No compatible firmware or boot code found - Return Code=%d",
    "%s: No compatible firmware and/or boot code found - Return Code=%d",
    "%s: No compatible boot code found - Return Code=%d",
    "%s: Installed adapters do not support boot code downloads - Return Code=%d",
    "%s: Error - no supported Korvane HBAs found - Return Code=%d",
    "%s: Error - insufficient privileges - Return Code=%d",
    "%s: Error - invalid switch options - Return Code=%d",
    "%s: Error - fwmatrix update table not found - Return Code=%d",
    "%s: Error - Korvane command line application kit not installed - Return Code=%d",
    "%s: Error - the firmware subdirectory was not found - Return Code=%d",
    "%s: Error - the boot subdirectory was not found - Return Code=%d",
    "%s: Error - QTRD driver is not loaded - Return Code=%d",
    "%s: Error - brackmond is not running - Return Code=%d",
    "%s : error - unable to open temp file - Return Code=%d",
    "%s : error - unable to process TANDREL - Return Code=%d",
};

// True when `line` is `format` with its "%s" filled by text without a line
// end and its "%d" by the decimal `code`.
inline bool matchesLine(const char* format, const std::string& line, std::size_t at, int code) {
  for (; *format != '\0'; ++format) {
    if (format[0] == '%' && format[1] == 's') {
      for (std::size_t end = line.size(); end + 1 > at; --end) {
        if (matchesLine(format + 2, line, end, code)) return true;
      }
      return false;
    }
    if (format[0] == '%' && format[1] == 'd') {
      const std::string digits = std::to_string(code);
      if (line.compare(at, digits.size(), digits) != 0) return false;
      at += digits.size();
      ++format;
      continue;
    }
    if (at >= line.size() || line[at] != *format) return false;
    ++at;
  }
  return at == line.size();
}

// The last line of `console` that carries a return code ("" when none does).
inline std::string lastStatusLine(const std::string& console) {
  const std::size_t marker = console.rfind("Return Code=");
  if (marker == std::string::npos) return std::string();
  const std::size_t start = console.rfind('\n', marker);
  const std::size_t begin = start == std::string::npos ? 0 : start + 1;
  const std::size_t end = console.find('\n', marker);
  return console.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
}

// True when the console's last status line is a documented one carrying
// `exitCode`.
inline bool endsWithDocumentedStatus(const std::string& console, int exitCode) {
  const std::string line = lastStatusLine(console);
  for (const char* format : kStatusLines) {
    if (matchesLine(format, line, 0, exitCode)) return true;
  }
  return false;
}

}  // namespace outcomes
}  // namespace vornup
