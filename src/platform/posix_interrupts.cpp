#include <signal.h>

#include "platform/interrupts.h"
#include "platform/posix_wakeup.h"

namespace vornup {
namespace {

constexpr int kInterruptSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

// The first interrupt signal received, 0 before one arrives.
volatile sig_atomic_t recordedSignal = 0;

void onInterruptSignal(int signalNumber) {
  // The other interrupt signals are blocked while this runs, so the first
  // one is kept.
  if (recordedSignal == 0) recordedSignal = signalNumber;
  wakeUp();
}

bool install() {
  // The pipe first, so that an early signal can wake a waiter.
  bool installed = prepareWakeup();
  struct sigaction action = {};
  action.sa_handler = onInterruptSignal;
  sigemptyset(&action.sa_mask);
  for (int signalNumber : kInterruptSignals) sigaddset(&action.sa_mask, signalNumber);
  // Interrupted reads and writes go on; a write to a closed pipe still fails
  // with EPIPE.
  action.sa_flags = SA_RESTART;
  for (int signalNumber : kInterruptSignals) {
    if (::sigaction(signalNumber, &action, nullptr) != 0) installed = false;
  }
  return installed;
}

}  // namespace

bool installInterruptHandlers() {
  static const bool installed = install();
  return installed;
}

bool interruptRequested() { return recordedSignal != 0; }

int interruptExitCode() { return recordedSignal == 0 ? 0 : 128 + recordedSignal; }

void interruptCleanupDone() {}

void recordClosedOutput() {
  if (recordedSignal == 0) recordedSignal = SIGPIPE;
}

void clearInterruptRequest() { recordedSignal = 0; }

}  // namespace vornup
