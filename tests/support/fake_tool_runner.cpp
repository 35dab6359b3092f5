#include "support/fake_tool_runner.h"

namespace vornup {

ToolRunResult FakeToolRunner::run(const ToolCommand& command, ToolOutput& output) {
  calls.push_back(FakeToolCall{command.kind, command.arguments});
  output.starting(command.arguments);
  const FakeToolReply answer = onCall ? onCall(calls.back()) : reply;
  ToolRunResult result;
  result.end = answer.end;
  result.status = answer.status;
  if (answer.end == ToolRunEnd::exited) {
    splitToolReply(answer.text.data(), answer.text.size(), output);
  }
  return result;
}

std::vector<std::string> FakeToolRunner::arguments() const {
  std::vector<std::string> all;
  for (const FakeToolCall& call : calls) all.push_back(call.arguments);
  return all;
}

}  // namespace vornup
