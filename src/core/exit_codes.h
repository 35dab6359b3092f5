// The program's exit codes, named in one place. Several situations share a
// number; each has its own name so that the code that ends a run says why.
#pragma once

#include "platform/host_names.h"

namespace vornup {

enum class ExitCode : int {
  // Every required update succeeded, a query-only run, or the usage text.
  success = 0,
  // No download was required.
  noneRequired = 1,
  // Every required download (or query) failed.
  allFailed = 2,
  // The rights probe failed.
  insufficientPrivileges = 2,
  // The switches contradict each other.
  invalidSwitchOptions = 2,
  // fwmatrix.txt cannot be opened outside automatic mode.
  fwmatrixNotFound = 2,
  // Signed mode, an operation, and a baseline that is missing or cannot be
  // read or verified at all.
  baselineUnusable = 2,
  // Some required downloads (or queries) failed.
  someFailed = 3,
  // An unknown or malformed switch, a log file that cannot be opened, or a
  // command line of only /xv.
  switchError = 4,
  // Neither registry key names a usable management tool.
  toolNotInstalled = 4,
  // The tool could not be run or its reply could not be read, or it reports
  // a missing driver or management service.
  toolFailure = 4,
  // The adapter list is empty.
  noAdapters = 5,
  // /auto and the firmware or boot directory beside the program does not exist.
  imageDirectoryMissing = 6,
  // Known adapters but no compatible image.
  noCompatibleImage = 7,
  // The same outcomes on a host where some adapter is not supported.
  allSucceededWithUnsupported = 11,
  noneRequiredWithUnsupported = 12,
  allFailedWithUnsupported = 13,
  someFailedWithUnsupported = 14,
  // Every adapter found is unsupported.
  everyAdapterUnsupported = 15,
  noCompatibleImageWithUnsupported = 16,
  // The program's own directory cannot stand on a tool command line.
  programDirectoryUnusable = 4,
  // The host-wide lock can never be taken (its folder is missing, or no
  // regular file stands at its path): a setup error, not a busy host.
  hostLockUnusable = 4,
  // Another run holds the host-wide lock, or the tool of an earlier run
  // still runs: 75 on POSIX, 1618 on Windows.
  anotherRunInProgress = kHostBusyExitCode,
  // The run was interrupted by Ctrl-C: 130 on POSIX, 1602 on Windows. Other
  // interrupts end POSIX runs with 128 + their signal number;
  // interruptExitCode() (platform/interrupts.h) gives the code of the one
  // recorded, and exitCodeFromHost turns it into this type.
  interrupted = kInterruptedExitCode,
};

// The number the process ends with.
constexpr int exitStatus(ExitCode code) { return static_cast<int>(code); }

// A code the host chose (the interrupt code of a signal).
constexpr ExitCode exitCodeFromHost(int status) { return static_cast<ExitCode>(status); }

}  // namespace vornup
