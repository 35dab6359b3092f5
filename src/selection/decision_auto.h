// Automatic mode's pieces of the decision, shared by the update and the
// downgrade side.
#pragma once

#include <cstddef>

#include "selection/image_node.h"

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

// The /downgrade side of decideAutoUpdate: the first image below the
// installed version, walking down from the highest one of the adapter's type.
void decideAutoDowngrade(RunState& run, Adapter& adapter);

}  // namespace vornup
