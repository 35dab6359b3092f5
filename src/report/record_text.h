// Text from the tool, the command line or the host, made safe for a record
// that quotes it: a metrics label value, a system log field.
#pragma once

#include <string>

namespace vornup {

// Backslash and double quote escaped with a backslash, a line end written
// as a backslash and "n"; other control characters and bytes that are not
// UTF-8 become '?'.
std::string escapedRecordText(const std::string& text);

}  // namespace vornup
