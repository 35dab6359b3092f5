// A file that is written whole or not at all: the new content goes into a
// temporary file beside it, which then takes the file's place in one step,
// so a reader finds the previous file or the new one, never a mix.
#pragma once

#include <functional>
#include <string>

namespace vornup {

// The temporary file beside `path`: same directory, so the rename that puts
// it in place never crosses file systems; the process number keeps two runs
// apart.
std::string temporaryPathBeside(const std::string& path);

// Receives the content piece by piece; false when a piece was not written.
using FileSink = std::function<bool(const std::string& text)>;
// Hands the content to the sink; false stops the writing.
using FileContent = std::function<bool(const FileSink& put)>;

// Writes the content into a new temporary file and puts it in place of
// `path`; false with the reason when any step fails (the temporary file is
// then removed). A file replaced keeps its mode and owner.
bool replaceFileWith(const std::string& path, const FileContent& content, std::string& why);
bool replaceFileWith(const std::string& path, const std::string& content, std::string& why);

}  // namespace vornup
