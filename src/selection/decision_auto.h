// Automatic mode's pieces of the decision, shared by the update and the
// downgrade side.
#pragma once

#include <cstddef>

#include "core/image_node.h"
#include "selection/decision_rule.h"

namespace vornup {

struct Adapter;
struct RunState;

// The boot code kinds in the order they are tried for an update, rewrite or
// forced download: the trace line and the second letter of the type code.
struct BootCodeKind {
  const char* trace;
  char letter;
};

extern const BootCodeKind kBootCodeKinds[];
extern const std::size_t kBootCodeKindCount;

// The highest firmware image of the adapter's type in the firmware list (by
// image family for the converged family, by firmware type code otherwise);
// none (end of the list) when there is no such image or, for a gated adapter,
// when it is below the fpga version.
ImageList::const_iterator findFirmwareCandidate(RunState& run, const Adapter& adapter);

// Images from the discovered lists (automatic mode): the highest image of the
// adapter's type for an update, rewrite or forced download; under /downgrade
// the next lower one that is older than the installed version.
void decideAutoUpdate(RunState& run, Adapter& adapter);

// Tries the boot code kinds universal, pair, open, EFI and x86 in this order
// and decides the highest image of the first kind that has one and needs it;
// the outcome of the last kind tried.
DecisionResult updateBootCodeByKind(RunState& run, Adapter& adapter);

// Decides the highest boot code image of the two-letter type code `typeCode`:
// DecisionResult::noImage when the boot code list has none, else decideForImage's
// outcome.
DecisionResult tryBootCodeKind(RunState& run, const char* typeCode, Adapter& adapter);

}  // namespace vornup
