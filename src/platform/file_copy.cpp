#include "platform/file_copy.h"

#include <cstdio>
#include <memory>

#include "platform/safe_files.h"

namespace vornup {
namespace {

constexpr std::size_t kCopyBufferBytes = 64 * 1024;

struct StreamCloser {
  void operator()(std::FILE* stream) const { std::fclose(stream); }
};
using Stream = std::unique_ptr<std::FILE, StreamCloser>;

CopyOutcome copyStream(std::FILE* from, std::FILE* to) {
  std::unique_ptr<char[]> buffer(new char[kCopyBufferBytes]);
  for (;;) {
    std::size_t count = std::fread(buffer.get(), 1, kCopyBufferBytes, from);
    if (count > 0 && std::fwrite(buffer.get(), 1, count, to) != count) {
      return CopyOutcome::writeFailed;
    }
    if (count < kCopyBufferBytes) {
      return std::ferror(from) ? CopyOutcome::readFailed : CopyOutcome::copied;
    }
  }
}

}  // namespace

CopyOutcome copyRegularFile(const std::string& from, const std::string& to) {
  Stream source(openRegularFileForReading(from));
  if (!source) return CopyOutcome::sourceUnusable;
  Stream destination(createExclusiveFile(to));
  if (!destination) return CopyOutcome::destinationUnusable;
  CopyOutcome outcome = copyStream(source.get(), destination.get());
  if (std::fclose(destination.release()) != 0 && outcome == CopyOutcome::copied) {
    outcome = CopyOutcome::writeFailed;
  }
  if (outcome != CopyOutcome::copied) std::remove(to.c_str());
  return outcome;
}

}  // namespace vornup
