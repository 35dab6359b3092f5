// Test support: a run whose management tool is the simulator, answering in
// process with exactly the replies the simulator program prints.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/fake_tool.h"
#include "sim/host.h"
#include "support/captured_run.h"

namespace vornup {

class SimulatedRun {
 public:
  // Whether the commands go to the simulator through the tool-runner seam
  // (arguments only), or through the host's runner and the in-process
  // platform, which records the composed command lines.
  enum class Route { seam, commandLines };

  // `hostText` is a host description as the simulator reads it.
  explicit SimulatedRun(const std::string& hostText, Route route = Route::seam) {
    std::string error;
    EXPECT_TRUE(tandrelsim::parseHost(hostText, simulation.host, error)) << error;
    if (route == Route::seam) {
      tandrelsim::attachSimulation(runner, simulation);
      captured.run.toolRunner = &runner;
    } else {
      tandrelsim::attachSimulation(captured.platform, simulation);
    }
    captured.usePrivateTemp();
    run.toolPath.set("\"/opt/korvane/Quenmar/Tandrel\"");
  }

  // The arguments of every tool call so far, one line per call.
  const std::vector<std::string>& calls() const { return simulation.commandLog; }

  // The record of adapter `number` (counted from 1).
  Adapter& adapter(std::size_t number) { return *run.adapterList.at(number - 1); }

  CapturedRun captured;
  tandrelsim::Simulation simulation;
  FakeToolRunner runner;
  RunState& run = captured.run;
};

}  // namespace vornup
