// Reading the run's baseline, its signature and the trusted keys, and
// keeping the host's record of the newest baseline it accepted.
//
// Trusted keys are the PEM files (*.pem) in trusted-keys/ beside the
// program; one of them switches signed mode on. The baseline is
// baseline.json beside the program, or the file of /baseline=; its
// signature is the same name with ".sig" added. The host's record is the
// registry value BaselineVersion of SOFTWARE\Korvane\Vornup: "<version>
// <SHA-256 of the baseline file>".
#pragma once

#include <string>

#include "core/run_state.h"

namespace vornup {

// How a baseline that was asked for could not be used at all.
enum class BaselineOutcome {
  ready,                // the run's BaselineState is set
  missing,              // signed mode and no baseline file
  unreadable,           // no regular file, a link of another user, too large, a read error
  malformed,            // not a baseline (detail says why)
  signatureUnreadable,  // a signature file that cannot be read
};

// Sets run.baseline for an operation run. Unsigned mode never ends the run:
// a baseline that cannot be read is ignored with a warning on standard
// error. `detail` names the file and the reason of any other outcome.
BaselineOutcome loadBaseline(RunState& run, std::string& detail);

// The files beside the program.
extern const char kTrustedKeysFolder[];
extern const char kBaselineFileName[];

}  // namespace vornup
