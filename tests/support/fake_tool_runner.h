// Test support: a stand-in for the management tool behind the tool-runner
// seam. It answers every command from `onCall` (or with `reply`), records
// what was run, and hands the reply on in the pieces the host's runner would.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tool/tool_runner.h"

namespace vornup {

// What the stand-in answers one command with.
struct FakeToolReply {
  std::string text;
  int status = 0;
  // How the command ended; anything but `exited` hands on no reply.
  ToolRunEnd end = ToolRunEnd::exited;
};

struct FakeToolCall {
  ToolCommandKind kind;
  std::string arguments;
};

class FakeToolRunner : public ToolRunner {
 public:
  using Handler = std::function<FakeToolReply(const FakeToolCall& call)>;

  ToolRunResult run(const ToolCommand& command, ToolOutput& output) override;

  // The arguments of every command run, in order.
  std::vector<std::string> arguments() const;

  // Answers each call; when unset, every call gets `reply`.
  Handler onCall;
  FakeToolReply reply;
  std::vector<FakeToolCall> calls;
};

}  // namespace vornup
