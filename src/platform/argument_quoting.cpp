#include "platform/argument_quoting.h"

namespace vornup {
namespace {

constexpr char kNeedsQuotes[] = " \t\n\v\"";

void appendArgument(std::string& line, const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(kNeedsQuotes) == std::string::npos) {
    line += argument;
    return;
  }
  line += '"';
  std::size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    // Backslashes count as escapes only before a quote.
    line.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    line += c;
  }
  line.append(backslashes * 2, '\\');
  line += '"';
}

}  // namespace

std::string quotedCommandLine(const std::string& program,
                              const std::vector<std::string>& arguments) {
  std::string line = "\"" + program + "\"";
  for (const std::string& argument : arguments) {
    line += ' ';
    appendArgument(line, argument);
  }
  return line;
}

}  // namespace vornup
