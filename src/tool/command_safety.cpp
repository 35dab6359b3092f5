#include "tool/command_safety.h"

#include "core/command_text.h"
#include "core/text_compare.h"
#include "platform/interrupts.h"
#include "tool/tandrel.h"

namespace vornup {

namespace {

constexpr ToolStep kToolCallRefused{ToolStepOutcome::refused, 0};
constexpr char kRefusedAddressTrace[] = "Refused unsafe adapter address = %s\n";
constexpr char kInterruptedTrace[] = "Not run after an interrupt = %s\n";

bool isHexDigit(char c) { return hexDigitValue(c) >= 0; }

}  // namespace

bool isSafeAddress(const char* address) {
  if (address == nullptr || *address == '\0') return false;
  for (const char* c = address; *c != '\0'; ++c) {
    if (!isHexDigit(*c) && *c != ':' && *c != '-') return false;
  }
  return true;
}

bool isSafeFileName(const char* name) { return isSafeQuotedText(name); }

bool isSafeCommandPath(const char* path) { return isSafeQuotedText(path); }

ToolStep executeForAddress(RunState& run, const char* format, const char* address,
                           const char* extra) {
  if (!isSafeAddress(address)) {
    run.toolOutput.clear();
    run.out.traceOut(kRefusedAddressTrace, address);
    return kToolCallRefused;
  }
  FixedText<512> args;
  if (!args.format(format, address, extra)) {
    run.toolOutput.clear();
    return kToolCallRefused;
  }
  // After an interrupt no new command starts, except the one that sets a
  // port's boot code back.
  if (interruptRequested() && !run.settingBootCodeBack) {
    run.toolOutput.clear();
    run.out.traceOut(kInterruptedTrace, args.c_str());
    return kToolCallRefused;
  }
  return executeTandrel(run, args.c_str());
}

}  // namespace vornup
