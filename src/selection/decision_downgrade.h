// Automatic mode under /downgrade: the next lower image that is older than the
// installed version.
#pragma once

namespace vornup {

struct Adapter;
struct RunState;

// The /downgrade side of decideAutoUpdate: the first image below the
// installed version, walking down from the highest one of the adapter's type.
void decideAutoDowngrade(RunState& run, Adapter& adapter);

}  // namespace vornup
