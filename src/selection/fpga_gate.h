// The minimum-version gate of one group of converged adapters.
//
// Adapters of this group can only run firmware from the fpga version
// 4.0.360.15 on: an adapter below it is not handled at all, and an image below
// it is never downloaded to such an adapter.
#pragma once

#include <cstdint>

namespace vornup {

struct Adapter;
struct ImageNode;
struct RunState;

// Result of comparing one version field with the fpga version's field.
enum : int {
  kFieldBelowFpga = 0,
  kFieldAboveFpga = 1,
  kFieldEqualToFpga = 2,
};

// Whether the adapter belongs to the gated group (by its PCI subsystem ids).
bool isFpgaGatedAdapter(const Adapter& adapter);

// Whether the image's version is at least the fpga version; traced.
bool isCompatibleKX2FirmwareVersion(RunState& run, const ImageNode& newFwVersion);

// Whether the adapter's installed version is at least the fpga version;
// traced.
bool hasSupportedKX2FirmwareVersion(RunState& run, const Adapter& currentAdapter);

// Compares one field and traces the outcome: kFieldBelowFpga, kFieldAboveFpga
// or kFieldEqualToFpga.
int compareVersionField(RunState& run, uint32_t value, uint32_t fpgaValue);

}  // namespace vornup
