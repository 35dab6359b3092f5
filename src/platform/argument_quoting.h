// The command line that hands a program its arguments unchanged under the C
// runtime's rules for splitting a Windows command line (CommandLineToArgvW
// and the runtime's startup code read it the same way).
#pragma once

#include <string>
#include <vector>

namespace vornup {

// `program` in double quotes (a Windows path holds no quote), then each
// argument: as it is when it has no blank, tab, newline or quote and is not
// empty; else in double quotes, with every quote escaped by a backslash and
// the backslashes before a quote, or before the closing quote, doubled.
std::string quotedCommandLine(const std::string& program,
                              const std::vector<std::string>& arguments);

}  // namespace vornup
