#include "platform/interrupts.h"

#include <atomic>

#include "platform/win32_interrupt_event.h"

namespace vornup {
namespace {

// The exit code deployment tools know as "cancelled by the user".
constexpr int kInterruptedExitCode = 1602;
// Windows ends the process a few seconds after a close, logoff or shutdown
// event (5 s for a console close); the handler waits for the cleaning up a
// little less than that.
constexpr DWORD kCleanupWaitMilliseconds = 4500;

std::atomic<bool> requested{false};

HANDLE cleanupDoneEvent() {
  static const HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  return event;
}

BOOL WINAPI onConsoleEvent(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      break;
    default:
      return FALSE;
  }
  requested = true;
  if (HANDLE wake = interruptEvent()) SetEvent(wake);
  if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
    // The process ends when this returns: give the main thread its time.
    if (HANDLE done = cleanupDoneEvent()) WaitForSingleObject(done, kCleanupWaitMilliseconds);
  }
  return TRUE;
}

bool install() {
  // Made now, not inside the handler.
  bool ready = interruptEvent() != nullptr && cleanupDoneEvent() != nullptr;
  return SetConsoleCtrlHandler(onConsoleEvent, TRUE) && ready;
}

}  // namespace

HANDLE interruptEvent() {
  static const HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  return event;
}

bool installInterruptHandlers() {
  static const bool installed = install();
  return installed;
}

bool interruptRequested() { return requested; }

int interruptExitCode() { return requested ? kInterruptedExitCode : 0; }

void interruptCleanupDone() {
  if (HANDLE done = cleanupDoneEvent()) SetEvent(done);
}

void recordClosedOutput() {
  requested = true;
  if (HANDLE wake = interruptEvent()) SetEvent(wake);
}

void clearInterruptRequest() {
  requested = false;
  if (HANDLE wake = interruptEvent()) ResetEvent(wake);
}

}  // namespace vornup
