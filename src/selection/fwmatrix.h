// fwmatrix.txt: the administrator's table naming, per adapter type, the
// firmware and boot code image files to install.
//
// Each line holds the adapter type, the firmware file name and the boot code
// file name, separated by blanks or tabs; further columns are ignored.
#pragma once

#include "core/fixed_text.h"

namespace vornup {

struct Adapter;
struct RunState;

// Reports every entry whose adapter type is not a known model (on the console
// under /v, always in the trace); comment lines starting with '/' are
// skipped. Informs only: unknown entries still take part in matching. Does
// nothing in automatic mode or without an open table.
void verifyFWmatrixEntries(RunState& run);

// Finds the adapter's line: true when at least one line names its type.
// Every matching line marks the adapter supported, counts it as known and
// sets both file names ("NONE" for a missing column, "INVALID_FILE" for a name
// of 32 characters or more; the boot code name is always "NONE" for the
// converged family); the last matching line decides. The names are left
// alone when no line matches.
bool getFwMatrixMatch(RunState& run, Adapter& adapter, FixedText<32>& fwmatrixFwFile,
                      FixedText<32>& fwmatrixBcFile);

}  // namespace vornup
