#include "sim/call_knobs.h"

#include <chrono>
#include <cstdlib>
#include <sstream>
#include <thread>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#endif

#include "sim/host.h"

namespace tandrelsim {
namespace {

struct SwapName {
  const char* name;
  OutputSwap swap;
};
const SwapName kSwapNames[] = {
    {"fifo", OutputSwap::fifo},
    {"zero", OutputSwap::devZero},
    {"removed", OutputSwap::removed},
};

bool knownCommand(const std::string& command) {
  return command == "*" || isCommandName(command);
}

}  // namespace

bool CallKnobs::delays(const std::string& command) const {
  return !delayCommand.empty() && (delayCommand == "*" || delayCommand == command);
}

bool CallKnobs::swaps(const std::string& command) const {
  return swap != OutputSwap::none && (swapCommand == "*" || swapCommand == command);
}

bool parseCallKnobs(const std::string& delay, const std::string& swap, CallKnobs& knobs,
                    std::string& error) {
  if (!delay.empty()) {
    std::istringstream words(delay);
    std::string command, milliseconds, extra;
    words >> command >> milliseconds >> extra;
    char* end = nullptr;
    unsigned long value = std::strtoul(milliseconds.c_str(), &end, 10);
    if (!knownCommand(command) || milliseconds.empty() || *end != '\0' || !extra.empty()) {
      error = "TANDREL_SIM_DELAY is \"" + delay + "\", not \"<command> <milliseconds>\"";
      return false;
    }
    knobs.delayCommand = command;
    knobs.delayMilliseconds = value;
  }
  if (!swap.empty()) {
    std::istringstream words(swap);
    std::string command, how, extra;
    words >> command >> how >> extra;
    bool named = false;
    for (const SwapName& entry : kSwapNames) {
      if (how == entry.name) {
        knobs.swap = entry.swap;
        named = true;
      }
    }
    if (!knownCommand(command) || !named || !extra.empty()) {
      error = "TANDREL_SIM_SWAP_OUTPUT is \"" + swap + "\", not \"<command> fifo|zero|removed\"";
      return false;
    }
    knobs.swapCommand = command;
  }
  return true;
}

void sleepMilliseconds(unsigned long milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

bool swapStandardOutput(OutputSwap swap, std::string& error) {
#ifdef _WIN32
  (void)swap;
  error = "TANDREL_SIM_SWAP_OUTPUT works on POSIX hosts only";
  return false;
#else
  char target[PATH_MAX];
  ssize_t length = readlink("/proc/self/fd/1", target, sizeof target - 1);
  if (length <= 0) {
    error = "cannot tell which file standard output goes to";
    return false;
  }
  target[length] = '\0';
  if (target[0] != '/' || unlink(target) != 0) {
    error = std::string("cannot remove the output file ") + target;
    return false;
  }
  bool made = true;
  if (swap == OutputSwap::fifo) made = mkfifo(target, 0600) == 0;
  if (swap == OutputSwap::devZero) made = symlink("/dev/zero", target) == 0;
  if (!made) error = std::string("cannot put something else at ") + target;
  return made;
#endif
}

}  // namespace tandrelsim
