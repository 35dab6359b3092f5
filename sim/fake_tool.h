// The simulator inside a test process: answers every command line that the
// program runs on the in-process platform stand-in, with the replies the
// simulator program would print.
#pragma once

#include <string>
#include <vector>

#include "platform/fake_platform.h"
#include "sim/simulation.h"

namespace tandrelsim {

// The tool arguments of a command line `"<tool>" <args> > "<file>"`, split at
// blanks outside double quotes, the quotes removed, as the command
// interpreter would hand them to the tool.
std::vector<std::string> toolArguments(const std::string& commandLine);

// From now on `simulation` answers the command lines run on `platform`; it
// must outlive the platform's use.
void attachSimulation(vornup::FakePlatform& platform, Simulation& simulation);

}  // namespace tandrelsim
