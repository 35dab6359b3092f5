// The one rule for text that the program places between double quotes on a
// tool command line: image file names, the tool's path, the temporary file's
// path and the program's own directory. Only text that the command
// interpreter passes through untouched inside the quotes is allowed.
#pragma once

namespace vornup {

// True when `text` is not null and holds no double quote, no '%', no control
// character and, on POSIX, no '$', '`' or '\'. Empty text passes.
bool isSafeQuotedText(const char* text);

}  // namespace vornup
