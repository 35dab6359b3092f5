// The converged functions' personalities and model suffixes, settled over the
// whole adapter list once every record holds its attributes.
#pragma once

#include "core/run_state.h"

namespace vornup {

// A NIC function takes the personality of an iSCSI or FCoE function of the
// same adapter (equal serial number, bus and domain).
void settleNicPersonalities(RunState& run);

// Appends "-FCoE", "-iSCSI" or "-NIC" to model and vornupType by
// personality, and cuts a Fibre Channel adapter's vornupType at its first
// blank, control character, non-ASCII byte or '-'.
void applyPortSuffixes(RunState& run);

}  // namespace vornup
