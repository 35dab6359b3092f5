#include "tool/tool_reply.h"

#include "platform/host_names.h"

namespace vornup {
namespace {

constexpr char kCarriageReturn = '\r';
constexpr char kLineFeed = '\n';
constexpr char kTextEnd = '\x1a';

}  // namespace

bool ToolReplySplitter::feed(const char* bytes, std::size_t count) {
  for (std::size_t i = 0; i < count && !stopped_; ++i) {
    const char c = bytes[i];
    if (kTextFilesUseCrLf) {
      if (pendingCarriageReturn_) {
        pendingCarriageReturn_ = false;
        if (c != kLineFeed && !put(kCarriageReturn)) break;
      }
      if (c == kTextEnd) {
        finish();
        stopped_ = true;
        break;
      }
      if (c == kCarriageReturn) {
        pendingCarriageReturn_ = true;
        continue;
      }
    }
    put(c);
  }
  return !stopped_;
}

void ToolReplySplitter::finish() {
  if (stopped_) return;
  if (pendingCarriageReturn_) {
    pendingCarriageReturn_ = false;
    if (!put(kCarriageReturn)) return;
  }
  if (used_ > 0) emit();
  stopped_ = true;
}

bool ToolReplySplitter::put(char c) {
  piece_[used_++] = c;
  if (c == kLineFeed || used_ == kToolReplyLineSize - 1) return emit();
  return true;
}

bool ToolReplySplitter::emit() {
  piece_[used_] = '\0';
  used_ = 0;
  if (!sink_.line(piece_)) stopped_ = true;
  return !stopped_;
}

void splitToolReply(const char* bytes, std::size_t count, ToolReplySink& sink) {
  ToolReplySplitter splitter(sink);
  if (splitter.feed(bytes, count)) splitter.finish();
}

}  // namespace vornup
