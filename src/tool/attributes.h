// The attribute step: completes each adapter record from the tool's
// "hbaattrib" output, then settles the converged functions' personalities
// and model suffixes over the whole list.
#pragma once

#include "core/run_state.h"

namespace vornup {

// Reads PCI identifiers, firmware and boot code versions, boot code state
// and type, then the model. A missing label leaves its default; a read that
// failed is recorded in a.readFailure (tool/port_reads.h).
void readAdapterAttributes(RunState& run, Adapter& a);

// Switches a port's disabled boot code on, so that its version can be read,
// and remembers the port in run.bootCodeEnabledPorts.
void enableBootCodeForReading(RunState& run, Adapter& a);

// Switches the boot code of the port at `address` off and forgets the port.
// This is the one tool command that still runs after an interrupt. With
// `port` given, a failure is recorded as a failed read of that port.
void setBootCodeBack(RunState& run, const char* address, Adapter* port = nullptr);

// Sets back every port whose boot code is still switched on by this run.
// Called on every way out of a run.
void restoreBootCode(RunState& run);

// Decodes the converged firmware version into the four numbers (a first or
// second generation version x.0.y.z is read as x.1.y.z) and sets imageFamily.
void decodeConvergedVersion(Adapter& a);

}  // namespace vornup
