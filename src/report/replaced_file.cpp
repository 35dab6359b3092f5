#include "report/replaced_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/report_host.h"

namespace vornup {
namespace {

std::string systemReason() {
  const char* text = std::strerror(errno);
  return text != nullptr ? text : "unknown error";
}

}  // namespace

std::string temporaryPathBeside(const std::string& path) {
  return path + "." + std::to_string(reportProcessId()) + ".tmp";
}

bool replaceFileWith(const std::string& path, const FileContent& content, std::string& why) {
  const std::string temporary = temporaryPathBeside(path);
  errno = 0;
  std::FILE* file = createReportFile(temporary);
  if (file == nullptr) {
    why = "cannot create " + temporary + ": " + systemReason();
    return false;
  }
  // A file replaced keeps its mode and owner.
  errno = 0;
  if (!adoptReportAttributes(file, path)) {
    why = "cannot give " + temporary + " the mode and owner of " + path + ": " + systemReason();
    std::fclose(file);
    removeReportFile(temporary);
    return false;
  }
  const bool written = content([file](const std::string& text) {
    return std::fwrite(text.data(), 1, text.size(), file) == text.size();
  });
  const bool flushed = std::fflush(file) == 0;
  const bool closed = std::fclose(file) == 0;
  if (!written || !flushed || !closed) {
    why = "cannot write " + temporary + ": " + systemReason();
    removeReportFile(temporary);
    return false;
  }
  errno = 0;
  if (!replaceReportFile(temporary, path)) {
    why = "cannot replace it: " + systemReason();
    removeReportFile(temporary);
    return false;
  }
  return true;
}

bool replaceFileWith(const std::string& path, const std::string& content, std::string& why) {
  return replaceFileWith(
      path, [&content](const FileSink& put) { return put(content); }, why);
}

}  // namespace vornup
