// Every tool call of a full run, failing in every way the simulator knows:
// an automatic update and a forced fwmatrix download on the mixed host, the
// N-th call damaged for each N. Whatever the damage, the run ends with a
// documented exit code and status line, leaves no temporary file and
// downloads nothing but verified images of its own directories.
//
// The bulk of the walk runs in process; a part of it runs the installed
// program and simulator as child processes. Windows (under Wine) walks a
// reduced set.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "e2e/e2e_host.h"
#include "reliability/reliability_run.h"

namespace vornup {
namespace {

using tandrelsim::FaultMode;

struct Scenario {
  const char* name;
  std::vector<std::string> args;
};

const Scenario kScenarios[] = {
    {"AutoUpdate", {"/auto", "/update"}},
    {"FwmatrixForce", {"/f"}},
};

const FaultMode kFaultModes[] = {
    FaultMode::noOutput, FaultMode::garbage,    FaultMode::cutOff, FaultMode::exitStatus,
    FaultMode::huge,     FaultMode::longLines, FaultMode::nulFf,  FaultMode::crLf,
};

// Under Wine every fourth call is damaged, not every one.
const unsigned long kCallStep = kWindowsHost ? 4 : 1;

// The images of the mixed install, each of which a faultless run downloads.
const char* const kImageNames[] = {"zf290a1.all", "zu520a0.prg", "bf220a1.all",
                                   "bb440a0.prg", "kc2100.ufi",  "kh3201.grp"};

// How damaged runs ended: " exit <code>: <runs>" for each exit code.
std::string record(const std::map<int, int>& endings) {
  std::string text;
  for (const auto& ending : endings) {
    text += " exit " + std::to_string(ending.first) + ": " + std::to_string(ending.second);
  }
  return text;
}

class FaultWalk : public ::testing::TestWithParam<std::tuple<Scenario, FaultMode>> {};

TEST_P(FaultWalk, EveryCallOfTheRunMayFail) {
  const Scenario& scenario = std::get<0>(GetParam());
  const FaultMode mode = std::get<1>(GetParam());
  InProcessInstall install;
  const ObservedRun clean = install.run(scenario.args);
  ASSERT_EQ(clean.exitCode, 0) << clean.console;
  for (const char* image : kImageNames) EXPECT_TRUE(downloads(clean, image)) << image;
  expectSoundEnd(clean, install.installDirectory(), "faultless");

  // How the damaged runs ended, exit code by exit code, for the record.
  std::map<int, int> endings;
  for (unsigned long call = 1; call <= clean.calls.size(); call += kCallStep) {
    const ObservedRun damaged = install.run(scenario.args, call, mode);
    expectSoundEnd(damaged, install.installDirectory(),
                   std::string(tandrelsim::faultModeName(mode)) + " at call " +
                       std::to_string(call) + " of " + std::to_string(clean.calls.size()));
    ++endings[damaged.exitCode];
  }
  std::printf("%zu calls;%s\n", clean.calls.size(), record(endings).c_str());
}

std::string walkName(const ::testing::TestParamInfo<FaultWalk::ParamType>& info) {
  std::string name = std::get<0>(info.param).name;
  for (const char* c = tandrelsim::faultModeName(std::get<1>(info.param)); *c != '\0'; ++c) {
    if (*c != '-') name += *c;
  }
  return name;
}

INSTANTIATE_TEST_SUITE_P(MixedHost, FaultWalk,
                         ::testing::Combine(::testing::ValuesIn(kScenarios),
                                            ::testing::ValuesIn(kFaultModes)),
                         walkName);

// The installed program and simulator as child processes.
TEST(ProcessFaultWalk, CutOffAndNulFfRepliesOverEveryCall) {
  ProcessInstall install;
  const std::string& installDirectory = install.host.installDirectory();
  const ObservedRun clean = install.run({"/auto", "/update"});
  ASSERT_EQ(clean.exitCode, 0) << clean.console;
  expectSoundEnd(clean, installDirectory, "faultless");
  const std::vector<std::string> modes =
      kWindowsHost ? std::vector<std::string>{"cut-off"}
                   : std::vector<std::string>{"cut-off", "nul-ff"};
  // Under Wine: the first call, one in the middle and the last.
  const std::size_t count = clean.calls.size();
  std::vector<std::size_t> calls;
  for (std::size_t call = 1; call <= count; ++call) {
    if (!kWindowsHost || call == 1 || call == count / 2 || call == count) calls.push_back(call);
  }
  for (const std::string& mode : modes) {
    std::map<int, int> endings;
    for (std::size_t call : calls) {
      const std::string fault = std::to_string(call) + " " + mode;
      const ObservedRun damaged = install.run({"/auto", "/update"}, fault);
      expectSoundEnd(damaged, installDirectory, fault);
      ++endings[damaged.exitCode];
    }
    std::printf("%s: %zu calls;%s\n", mode.c_str(), count, record(endings).c_str());
  }
}

}  // namespace
}  // namespace vornup
