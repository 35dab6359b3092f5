// Knobs of one simulator process, set through the environment: a delay
// before a command answers (a slow download, a hung query) and an output
// file that is swapped for something else while the command runs (a tool
// that replaces the file its reply should go to).
#pragma once

#include <string>
#include <vector>

namespace tandrelsim {

enum class OutputSwap { none, fifo, devZero, removed };

struct CallKnobs {
  std::string delayCommand;  // "" none, "*" every command
  unsigned long delayMilliseconds = 0;
  std::string swapCommand;
  OutputSwap swap = OutputSwap::none;

  bool delays(const std::string& command) const;
  bool swaps(const std::string& command) const;
};

// Parses TANDREL_SIM_DELAY ("<command> <milliseconds>") and
// TANDREL_SIM_SWAP_OUTPUT ("<command> fifo|zero|removed"); either may be
// empty. False, with a message, for anything else.
bool parseCallKnobs(const std::string& delay, const std::string& swap, CallKnobs& knobs,
                    std::string& error);

// Sleeps for the delay.
void sleepMilliseconds(unsigned long milliseconds);

// Replaces the file behind standard output: a FIFO, a link to /dev/zero, or
// nothing. POSIX only; false with a message where it cannot be done.
bool swapStandardOutput(OutputSwap swap, std::string& error);

}  // namespace tandrelsim
