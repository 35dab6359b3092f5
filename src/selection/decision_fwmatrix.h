// The decision in fwmatrix mode: the images named by the adapter's line of
// fwmatrix.txt, each loaded, checked and, when the operation needs it,
// downloaded.
#pragma once

namespace vornup {

struct Adapter;
struct RunState;

// Images named by fwmatrix.txt: the adapter's line gives the firmware and boot
// code files, each loaded, checked and decided on its own. A file that is
// missing, unusable or (for a gated adapter) below the fpga version counts as
// a failed download.
void decideFwmatrixUpdate(RunState& run, Adapter& adapter);

}  // namespace vornup
