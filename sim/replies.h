// The text the simulator prints for each command: label, colon, value lines,
// the form the program's parsers read. Rendering only: nothing here changes
// the simulated host.
#pragma once

#include <string>

#include "sim/host.h"

namespace tandrelsim {

// "listhbas local" (remote ports left out) or "listhbas" (all ports), with
// the host's driver or service error text at its line when it has one.
std::string renderAdapterList(const Host& host, bool includeRemote);

std::string renderAttributes(const Host& host, const Port& port);
std::string renderPciData(const Port& port);
std::string renderWakeup(const Port& port);

// Whether the port's boot code is currently switched off ("Disabled").
bool isBootCodeDisabled(const Port& port);
// Whether the port has boot code that can be switched ("Enabled"/"Disabled").
bool hasSwitchableBootCode(const Port& port);

// The error texts that "listhbas" prints for a missing driver or service.
extern const char kDriverNotLoadedText[];
extern const char kBrackmondNotRunningText[];

}  // namespace tandrelsim
