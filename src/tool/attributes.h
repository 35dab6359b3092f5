// The attribute step: completes each adapter record from the tool's
// "hbaattrib" output, then settles the converged functions' personalities
// and model suffixes over the whole list.
#pragma once

#include "driver/run_state.h"

namespace vornup {

// Reads PCI identifiers, firmware and boot code versions, boot code state
// and type, then the model. Has no failure: a missing label leaves its
// default. Returns 0.
int readAdapterAttributes(RunState& run, Adapter& a);

// Decodes the converged firmware version into the four numbers (a first or
// second generation version x.0.y.z is read as x.1.y.z) and sets imageType.
void decodeConvergedVersion(Adapter& a);

// A NIC function takes the personality of an iSCSI or FCoE function of the
// same adapter (equal serial number, bus and domain).
void settleNicPersonalities(RunState& run);

// Appends "-FCoE", "-iSCSI" or "-NIC" to model and vornupType by
// personality, and cuts a Fibre Channel adapter's vornupType at its first
// blank, control character, non-ASCII byte or '-'.
void applyPortSuffixes(RunState& run);

}  // namespace vornup
