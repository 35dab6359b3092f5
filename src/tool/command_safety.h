// Guards for text that the program places on a tool command line.
//
// Addresses come from the tool's own output and file names from fwmatrix.txt
// or a directory listing. Neither may ever turn into a command of its own, so
// only text that the command interpreter passes through untouched is allowed.
#pragma once

#include "core/run_state.h"
#include "tool/tandrel.h"

namespace vornup {

// An adapter address: hexadecimal digits joined by ':' or '-'.
bool isSafeAddress(const char* address);

// An image file name that can stand inside double quotes on a command line:
// no quote, no '%', no control character and, on POSIX, no '$', '`' or '\'.
bool isSafeFileName(const char* name);

// A path that stands inside double quotes on a command line (the tool, the
// temporary file, an image directory): the same rule as for file names
// (core/command_text.h).
bool isSafeCommandPath(const char* path);

// Runs the tool command `format` filled with `address` (and then `extra`,
// when the format has a second %s). An unsafe address is never placed on a
// command line: the call is refused and the output stays empty. After an
// interrupt (platform/interrupts.h) the same holds for every call but the one
// that sets boot code back (run.settingBootCodeBack).
ToolStep executeForAddress(RunState& run, const char* format, const char* address,
                           const char* extra = "");

}  // namespace vornup
