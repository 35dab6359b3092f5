// The tool's reply as the program reads it: pieces of at most 255 characters,
// each ending after a line end or when it is full, as a line buffer of 256
// bytes receives them. Every reader of the tool's replies sees the same
// pieces, whichever runner produced the reply.
#pragma once

#include <cstddef>

namespace vornup {

// Size of the line buffer: a piece holds at most kToolReplyLineSize - 1
// characters.
constexpr std::size_t kToolReplyLineSize = 256;

// Receives the pieces of a reply.
class ToolReplySink {
 public:
  virtual ~ToolReplySink() = default;
  // One piece, NUL-terminated (a NUL byte in the reply ends the piece's text
  // early). Returning false ends the reading: the rest is not needed.
  virtual bool line(const char* text) = 0;
};

// Cuts the bytes of a reply into pieces. On hosts whose text files end lines
// with CR LF, a CR right before an LF is dropped and a Ctrl-Z ends the reply,
// as reading the file in text mode does there.
class ToolReplySplitter {
 public:
  explicit ToolReplySplitter(ToolReplySink& sink) : sink_(sink) {}

  // Hands on the next bytes; false once the sink wants no more (or the reply
  // has ended).
  bool feed(const char* bytes, std::size_t count);
  // Hands on what is left at the end of the reply.
  void finish();

 private:
  bool put(char c);
  bool emit();

  ToolReplySink& sink_;
  char piece_[kToolReplyLineSize];
  std::size_t used_ = 0;
  bool pendingCarriageReturn_ = false;
  bool stopped_ = false;
};

// Splits a whole reply held in memory (for stand-ins of the tool).
void splitToolReply(const char* bytes, std::size_t count, ToolReplySink& sink);

}  // namespace vornup
