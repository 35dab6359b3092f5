// POSIX: one pipe wakes a process that waits for a command. The SIGCHLD
// handler and the interrupt handlers write a byte into it (async-signal-safe),
// the waiter polls its reading end.
#pragma once

namespace vornup {

// Creates the pipe and installs the SIGCHLD handler, once per process. False
// when that failed.
bool prepareWakeup();

// The pipe's reading end (non-blocking), or -1 before prepareWakeup.
int wakeupDescriptor();

// Reads everything written into the pipe so far.
void drainWakeup();

// Writes one byte into the pipe; safe inside a signal handler.
void wakeUp();

}  // namespace vornup
