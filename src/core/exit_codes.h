// The program's exit codes, named in one place.
#pragma once

#include "platform/host_names.h"

namespace vornup {

// Usage shown for /?, /help, /h or an empty command line; a run that needed
// nothing else.
constexpr int kExitSuccess = 0;
// The rights probe failed.
constexpr int kExitInsufficientPrivileges = 2;
// The switches contradict each other.
constexpr int kExitInvalidSwitchOptions = 2;
// fwmatrix.txt cannot be opened outside automatic mode.
constexpr int kExitFwmatrixNotFound = 2;
// An unknown or malformed switch, a log file that cannot be opened, or a
// command line of only /xv.
constexpr int kExitSwitchError = 4;
// Neither registry key names the management tool.
constexpr int kExitToolNotInstalled = 4;
// The adapter list is empty.
constexpr int kExitNoAdapters = 5;
// /auto and the firmware or boot directory beside the program does not exist.
constexpr int kExitImageDirectoryMissing = 6;

// Another run holds the host-wide lock, or the lock cannot be taken: 75 on
// POSIX, 1618 on Windows. An interrupted run ends with the code
// platform/interrupts.h gives (128 + signal on POSIX, 1602 on Windows).
constexpr int kExitAnotherRun = kHostBusyExitCode;
// The program's own directory cannot stand on a tool command line.
constexpr int kExitProgramDirectoryUnusable = 4;

}  // namespace vornup
