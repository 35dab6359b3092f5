// The simulator inside a test process: answers the program's tool commands
// with the replies the simulator program would print. Behind the tool-runner
// seam it receives the arguments alone; behind the in-process platform (for
// harnesses that check the shown command lines too) it takes the argument
// vector of the program start.
#pragma once

#include <string>
#include <vector>

#include "sim/simulation.h"
#include "support/fake_platform.h"
#include "support/fake_tool_runner.h"

namespace tandrelsim {

// The tool arguments of `arguments`, split at blanks outside double quotes,
// the quotes removed, as the command interpreter would hand them to the tool.
std::vector<std::string> splitArguments(const std::string& arguments);

// The tool arguments of a command line `"<tool>" <args> > "<file>"`.
std::vector<std::string> toolArguments(const std::string& commandLine);

// From now on `simulation` answers the commands run on `runner`; it must
// outlive the runner's use.
void attachSimulation(vornup::FakeToolRunner& runner, Simulation& simulation);

// From now on `simulation` answers the programs started on `platform`.
void attachSimulation(vornup::FakePlatform& platform, Simulation& simulation);

}  // namespace tandrelsim
