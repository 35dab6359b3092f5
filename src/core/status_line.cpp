#include "core/status_line.h"

#include <cstdio>
#include <string>

namespace vornup {

namespace {

constexpr char kLineFormat[] = "%s%s%s%s - Return Code=%d\n\n";

// The text with its detail, whole whatever its length (a switch named on the
// command line is part of it).
std::string statusTextOf(const char* format, const char* detail) {
  const int length = std::snprintf(nullptr, 0, format, detail);
  if (length <= 0) return std::string();
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  std::snprintf(&text[0], text.size(), format, detail);
  text.resize(static_cast<std::size_t>(length));
  return text;
}

}  // namespace

void printStatusLine(RunState& run, const StatusLine& line, const char* detail, int code,
                     StatusChannel channel) {
  const std::string text = statusTextOf(line.text, detail != nullptr ? detail : "");
  run.record.statusText = text;
  if (channel == StatusChannel::standardError) {
    run.out.errorOut(kLineFormat, line.opening, run.programName, line.separator, text.c_str(),
                     code);
  } else {
    run.out.consoleOut(kLineFormat, line.opening, run.programName, line.separator, text.c_str(),
                       code);
  }
}

}  // namespace vornup
