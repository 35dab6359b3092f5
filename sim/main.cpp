// Tandrel, the simulator: answers the management tool's commands for a host
// described in a text file, so the program can be run, tested and rehearsed
// on machines without adapters. See sim/README.md.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "sim/call_knobs.h"
#include "sim/descriptor_report.h"
#include "sim/key_value_text.h"
#include "sim/simulation.h"

namespace {

using tandrelsim::kExitSetup;

constexpr char kHostVariable[] = "TANDREL_SIM_HOST";
constexpr char kStateVariable[] = "TANDREL_SIM_STATE";
constexpr char kLogVariable[] = "TANDREL_SIM_LOG";
constexpr char kFailCallVariable[] = "TANDREL_SIM_FAIL_CALL";
constexpr char kDelayVariable[] = "TANDREL_SIM_DELAY";
constexpr char kSwapVariable[] = "TANDREL_SIM_SWAP_OUTPUT";
constexpr char kDescriptorsVariable[] = "TANDREL_SIM_DESCRIPTORS";
constexpr char kDefaultHostFile[] = "host.txt";
constexpr char kStateSuffix[] = ".state";
constexpr char kMessagePrefix[] = "Tandrel (simulator): ";

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

int setupError(const std::string& message) {
  std::fprintf(stderr, "%s%s\n", kMessagePrefix, message.c_str());
  return kExitSetup;
}

// The host file: named by the environment, else host.txt beside the program.
std::string hostFilePath(const char* argv0) {
  std::string named = environment(kHostVariable);
  if (!named.empty()) return named;
  std::string program = vornup::hostPlatform().moduleFileName();
  if (program.empty() && argv0 != nullptr) program = argv0;
  std::size_t separator = program.find_last_of("/\\");
  return separator == std::string::npos ? std::string(kDefaultHostFile)
                                        : program.substr(0, separator + 1) + kDefaultHostFile;
}

void appendToCommandLog(const std::vector<std::string>& args) {
  std::string path = environment(kLogVariable);
  if (path.empty()) return;
  std::FILE* log = std::fopen(path.c_str(), "ab");
  if (log == nullptr) {
    std::fprintf(stderr, "%scannot append to the command log %s\n", kMessagePrefix, path.c_str());
    return;
  }
  std::string line = tandrelsim::commandLogLine(args) + "\n";
  std::fwrite(line.data(), 1, line.size(), log);
  std::fclose(log);
}

// Writes the state beside its final name first, so an interrupted call
// never leaves half a state file.
bool saveState(const std::string& path, const std::string& text) {
  std::string partial = path + ".new";
  std::FILE* file = std::fopen(partial.c_str(), "wb");
  if (file == nullptr) return false;
  bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  if (std::fclose(file) != 0 || !written) return false;
  if (std::rename(partial.c_str(), path.c_str()) == 0) return true;
  std::remove(path.c_str());  // some systems do not rename over a file
  return std::rename(partial.c_str(), path.c_str()) == 0;
}

int loadSimulation(const char* argv0, tandrelsim::Simulation& simulation, std::string& statePath) {
  std::string hostPath = hostFilePath(argv0);
  std::string text;
  if (!tandrelsim::readWholeFile(hostPath, text)) {
    return setupError("cannot read the host file " + hostPath + " (set " + kHostVariable + ")");
  }
  std::string error;
  if (!tandrelsim::parseHost(text, simulation.host, error)) {
    return setupError("host file " + hostPath + ", " + error);
  }
  statePath = environment(kStateVariable);
  if (statePath.empty()) statePath = hostPath + kStateSuffix;
  if (tandrelsim::readWholeFile(statePath, text) && !simulation.applyState(text, error)) {
    return setupError("state file " + statePath + ", " + error);
  }
  std::string failCall = environment(kFailCallVariable);
  if (!failCall.empty() && !tandrelsim::parseCallFault(failCall, simulation.host.failCall, error)) {
    return setupError(std::string(kFailCallVariable) + ": " + error);
  }
  return tandrelsim::kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string descriptorReport = environment(kDescriptorsVariable);
  std::string reportError;
  if (!descriptorReport.empty() &&
      !tandrelsim::reportInheritedDescriptors(descriptorReport, reportError)) {
    return setupError(reportError);
  }
  std::vector<std::string> args(argv + 1, argv + argc);
  appendToCommandLog(args);
  tandrelsim::Simulation simulation;
  std::string statePath;
  int status = loadSimulation(argc > 0 ? argv[0] : nullptr, simulation, statePath);
  if (status != tandrelsim::kExitOk) return status;

  tandrelsim::CallKnobs knobs;
  std::string error;
  if (!tandrelsim::parseCallKnobs(environment(kDelayVariable), environment(kSwapVariable), knobs,
                                  error)) {
    return setupError(error);
  }
  const std::string command = args.empty() ? std::string() : args[0];

  tandrelsim::Reply reply = simulation.call(args);
  // A slow command answers late, and a command ended while it waits changes
  // nothing: the state is saved only after the answer.
  if (knobs.delays(command)) tandrelsim::sleepMilliseconds(knobs.delayMilliseconds);
  if (knobs.swaps(command)) {
    if (!tandrelsim::swapStandardOutput(knobs.swap, error)) return setupError(error);
  } else {
    std::fwrite(reply.text.data(), 1, reply.text.size(), stdout);
    std::fflush(stdout);
  }
  if (!reply.error.empty()) std::fputs(reply.error.c_str(), stderr);
  if (!saveState(statePath, simulation.stateText())) {
    return setupError("cannot write the state file " + statePath + " (set " + kStateVariable + ")");
  }
  return reply.exitStatus;
}
