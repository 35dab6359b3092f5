// Product data: the model table that names an adapter from its PCI
// identifiers and tells the image family of each device ID, and the
// known-model table of fwmatrix.txt entries. Both are documented for
// administrators in docs/models.md.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/image_family.h"

namespace vornup {

// One model: its name, firmware type code (two letters for Fibre Channel
// adapters, one letter for converged and Halvard adapters) and image family.
struct ModelRow {
  const char* model;
  const char* typeCode;
  ImageFamily family;
};

// Row ids: the index of each row in kModelRows.
// clang-format off
enum ModelRowId : uint8_t {
  kRowKF210, kRowKF221, kRowKF222, kRowKF410, kRowKF410RevB, kRowKF421, kRowKF422, kRowKF450,
  kRowKF460, kRowKF500, kRowKF620E, kRowKF810, kRowKF810RevB, kRowKF821, kRowKF822, kRowKF840M,
  kRowKF850, kRowKF850F, kRowKF1200, kRowKF1210, kRowKF1601Early, kRowKF1621, kRowKF1622,
  kRowKF1602R, kRowKF1602CB, kRowKF1602M, kRowKF1602S, kRowKF1601S, kRowKF1601E, kRowKF1602,
  kRowKF1601, kRowKF3202M, kRowKF3202, kRowKF1610, kRowKF1610F, kRowKF1604B, kRowKF1604,
  kRowKC2100, kRowKC3200, kRowKH3201, kRowKH3202,
  kModelRowCount
};
// clang-format on

extern const ModelRow kModelRows[kModelRowCount];
// The row of a device ID the table lacks.
extern const ModelRow kUnknownModelRow;

// The adapter flags that mark an 'F' family variant: its model rows, and
// the boot code types of such ports (tool/boot_code_type.h).
constexpr uint32_t kFamilyFFlags[] = {0x7D80, 0x7D8D};

// The test of one rule line.
enum class ModelTest : uint8_t {
  subsystem,        // subVenDevID is `first` and subSysDevID is `second`
  subsystemDevice,  // subSysDevID is `second`, any subsystem vendor
  cindralBlade,     // isCindralBlade
  flags,            // flags is `first`
  multiFunction,    // the port's PCI header type is 0x80 (runs "pcidata")
  otherwise,        // always; the last line of every device ID
};

// One line of a device ID's ordered rules: the first line of the device ID
// whose test holds chooses the row.
struct ModelRule {
  uint32_t deviceId;
  ModelTest test;
  uint32_t first;
  uint32_t second;
  ModelRowId row;
};

constexpr std::size_t kModelRuleCount = 63;
extern const ModelRule kModelRules[kModelRuleCount];

// The image family of the models of `deviceId` (every rule of a device ID
// chooses a row of one family); none for a device ID the table lacks.
ImageFamily familyOfDeviceId(uint32_t deviceId);

// The (subsystem vendor, subsystem device) pairs of the Cindral blade
// adapters, all with device ID 0x7D00.
struct SubsystemPair {
  uint32_t vendor;
  uint32_t device;
};
constexpr uint32_t kCindralBladeDeviceId = 0x7D00;
constexpr std::size_t kCindralBladeCount = 15;
extern const SubsystemPair kCindralBladeSubsystems[kCindralBladeCount];

// An adapter type that fwmatrix.txt may name in its first column, with its
// firmware type code (empty for the converged and Halvard types).
struct KnownModel {
  const char* type;
  const char* typeCode;
};
constexpr std::size_t kKnownModelCount = 40;
extern const KnownModel kKnownModels[kKnownModelCount];

// Whether `token`, a whole first-column entry of fwmatrix.txt, names a known
// adapter type (compared ignoring letter case).
bool isKnownFwmatrixModel(const char* token);

}  // namespace vornup
