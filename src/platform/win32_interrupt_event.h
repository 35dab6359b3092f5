// Windows: the manual-reset event that the console control handler sets, so
// that a command waiting in runLimitedCommand wakes on an interrupt.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace vornup {

// Created on first use; nullptr when it could not be made.
HANDLE interruptEvent();

}  // namespace vornup
