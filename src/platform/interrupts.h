// Interrupt requests: Ctrl-C, termination and hang-up signals and a closed
// output pipe on POSIX; the console's Ctrl-C, Ctrl-Break, close, logoff and
// shutdown events on Windows. The handlers only record the first request and
// wake a command waiting in runLimitedCommand; the program decides what to do.
#pragma once

namespace vornup {

// Installs the handlers (once per process; later calls do nothing). POSIX:
// SIGINT, SIGTERM, SIGHUP and SIGPIPE are caught with SA_RESTART, so a write
// to a closed pipe fails with EPIPE instead of ending the program. False when
// a handler could not be installed.
bool installInterruptHandlers();

// Whether an interrupt was requested since the start (or the last
// clearInterruptRequest).
bool interruptRequested();

// The exit code for the recorded interrupt: 128 + the first signal's number
// on POSIX (130 SIGINT, 143 SIGTERM, 129 SIGHUP, 141 SIGPIPE), 1602 on
// Windows; 0 when none was requested.
int interruptExitCode();

// Tells the handler that the program finished its cleaning up. Windows ends
// the process as soon as the handler of a close, logoff or shutdown event
// returns, so that handler waits (a few seconds at most) for this call.
// Nothing to do on POSIX.
void interruptCleanupDone();

// Records an interrupt for output that can no longer be written (a write to
// standard output failed with EPIPE): as SIGPIPE on POSIX, as a console
// event on Windows. An interrupt already recorded is kept.
void recordClosedOutput();

// Forgets a recorded interrupt (for a caller that handled it, and for tests).
void clearInterruptRequest();

}  // namespace vornup
