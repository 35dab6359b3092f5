// A file that is written whole or not at all: the new content goes into a
// temporary file beside it, which then takes the file's place in one step,
// so a reader finds the previous file or the new one, never a mix.
#pragma once

#include <string>

namespace vornup {

// The temporary file beside `path`: same directory, so the rename that puts
// it in place never crosses file systems; the process number keeps two runs
// apart.
std::string temporaryPathBeside(const std::string& path);

// Writes `content` into a new temporary file and puts it in place of `path`;
// false with the reason when any step fails (the temporary file is then
// removed).
bool replaceFileWith(const std::string& path, const std::string& content, std::string& why);

}  // namespace vornup
