// Model identification: the model name and firmware type code of an adapter
// port from its PCI identifiers, by the rules of the model table.
#pragma once

#include <cstdint>

#include "core/run_state.h"

namespace vornup {

// Sets model, fwType and supported (and bootCodeType where the rules say) from the
// model table and counts known models. False when the device ID is not in
// the table (the model is then "UNKNOWN_MODEL").
bool identifyModel(RunState& run, Adapter& a);

// Runs "pcidata" for the port and answers whether its PCI header type is
// 0x80: the port belongs to a multi-function PCI device.
bool isMultiFunctionDevice(RunState& run, Adapter& a);

// The Cindral blade adapters: device ID kCindralBladeDeviceId with one of the
// blade subsystems.
bool isCindralBlade(uint32_t deviceId, uint32_t subSysDevId, uint32_t subVenDevId);

}  // namespace vornup
