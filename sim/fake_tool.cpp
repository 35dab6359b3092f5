#include "sim/fake_tool.h"

namespace tandrelsim {

std::vector<std::string> splitArguments(const std::string& arguments) {
  std::vector<std::string> args;
  std::string current;
  bool quoted = false;
  bool inArgument = false;
  for (char c : arguments) {
    if (c == '"') {
      quoted = !quoted;
      inArgument = true;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (inArgument) args.push_back(current);
      current.clear();
      inArgument = false;
    } else {
      current += c;
      inArgument = true;
    }
  }
  if (inArgument) args.push_back(current);
  return args;
}

std::vector<std::string> toolArguments(const std::string& commandLine) {
  std::size_t start = 0;
  if (!commandLine.empty() && commandLine[0] == '"') {
    std::size_t closing = commandLine.find('"', 1);
    start = closing == std::string::npos ? commandLine.size() : closing + 1;
  } else {
    start = commandLine.find(' ');
    if (start == std::string::npos) start = commandLine.size();
  }
  std::size_t end = commandLine.rfind(" > ");
  if (end == std::string::npos || end < start) end = commandLine.size();
  return splitArguments(commandLine.substr(start, end - start));
}

void attachSimulation(vornup::FakeToolRunner& runner, Simulation& simulation) {
  runner.onCall = [&simulation](const vornup::FakeToolCall& call) {
    Reply reply = simulation.call(splitArguments(call.arguments));
    vornup::FakeToolReply answer;
    answer.text = reply.text;
    answer.status = reply.exitStatus;
    return answer;
  };
}

void attachSimulation(vornup::FakePlatform& platform, Simulation& simulation) {
  platform.onCommand = [&simulation, &platform](const std::string&) {
    Reply reply = simulation.call(platform.lastStart.arguments);
    platform.writeToolOutput(reply.text);
    return reply.exitStatus;
  };
}

}  // namespace tandrelsim
