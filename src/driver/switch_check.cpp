#include "driver/switch_check.h"

namespace vornup {
namespace {

constexpr char kRewriteConflict[] =
    "\nInvalid options: /rewrite cannot be used with /update or /downgrade";
constexpr char kDowngradeConflict[] =
    "\nInvalid options: /downgrade cannot be used with /update or /rewrite";
constexpr char kAutoAlone[] = "\nInvalid options: /auto requires an additional operational switch";

struct TracedSwitch {
  const char* format;
  bool Switches::*flag;
};

// The switch block of the debug trace, in its order; silent and help are
// not traced.
// clang-format off
const TracedSwitch kTracedSwitches[] = {
    {"auto      : %d\n", &Switches::autoMode},
    {"downgrade : %d\n", &Switches::downgrade},
    {"forceFw   : %d\n", &Switches::forceFw},
    {"forceBios : %d\n", &Switches::forceBootCode},
    {"preview   : %d\n", &Switches::preview},
    {"query     : %d\n", &Switches::query},
    {"remote    : %d\n", &Switches::remote},
    {"rewrite   : %d\n", &Switches::rewrite},
    {"update    : %d\n", &Switches::update},
    {"verbose   : %d\n", &Switches::verbose},
};
// clang-format on
constexpr char kSwitchHeading[] = "[Command line switches]\n";

}  // namespace

bool validateSwitches(RunState& run) {
  Switches& sw = run.sw;
  // A force switch overrides the comparing operations silently.
  if (sw.forceFw || sw.forceBootCode) {
    sw.downgrade = false;
    sw.rewrite = false;
    sw.update = false;
  }
  const char* conflict = nullptr;
  if (sw.rewrite && (sw.downgrade || sw.update)) {
    conflict = kRewriteConflict;
  } else if (sw.downgrade && sw.update) {
    conflict = kDowngradeConflict;
  } else if (sw.autoMode && !run.hasOperationSwitch()) {
    conflict = kAutoAlone;
  }
  if (conflict == nullptr) return true;
  run.out.consoleOut("%s", conflict);
  return false;
}

void traceSwitches(RunState& run) {
  run.out.traceOut(kSwitchHeading);
  for (const TracedSwitch& traced : kTracedSwitches) {
    run.out.traceOut(traced.format, run.sw.*traced.flag);
  }
  run.out.traceOut("\n");
}

}  // namespace vornup
