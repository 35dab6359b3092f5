#include "core/model_table.h"

#include "core/placeholder_text.h"
#include "core/text_compare.h"

namespace vornup {

// In ModelRowId order. Fibre Channel type codes are codes that firmware images
// carry in their image ids, so images and adapters can meet; the family tells
// which images a converged or Halvard adapter takes.
// clang-format off
const ModelRow kModelRows[kModelRowCount] = {
    {"KF210",    "HF", ImageFamily::fc},
    {"KF221",    "HD", ImageFamily::fc},
    {"KF222",    "HD", ImageFamily::fc},
    {"KF410",    "TF", ImageFamily::fc},
    {"KF410",    "TJ", ImageFamily::fc},
    {"KF421",    "TD", ImageFamily::fc},
    {"KF422",    "TD", ImageFamily::fc},
    {"KF450",    "LF", ImageFamily::fc},
    {"KF460",    "MF", ImageFamily::fc},
    {"KF500",    "OF", ImageFamily::fc},
    {"KF620E",   "EM", ImageFamily::fc},
    {"KF810",    "BF", ImageFamily::fc},
    {"KF810",    "BI", ImageFamily::fc},
    {"KF821",    "BD", ImageFamily::fc},
    {"KF822",    "BD", ImageFamily::fc},
    {"KF840M",   "BJ", ImageFamily::fc},
    {"KF850",    "BE", ImageFamily::fc},
    {"KF850",    "FD", ImageFamily::fc},
    {"KF1200",   "UD", ImageFamily::fc},
    {"KF1210",   "UH", ImageFamily::fc},
    {"KF1601",   "ZD", ImageFamily::fc},
    {"KF1621",   "ZE", ImageFamily::fc},
    {"KF1622",   "ZE", ImageFamily::fc},
    {"KF1602R",  "ZF", ImageFamily::fc},
    {"KF1602CB", "ZD", ImageFamily::fc},
    {"KF1602M",  "ZJ", ImageFamily::fc},
    {"KF1602S",  "ZF", ImageFamily::fc},
    {"KF1601S",  "ZF", ImageFamily::fc},
    {"KF1601E",  "ZE", ImageFamily::fc},
    {"KF1602",   "ZF", ImageFamily::fc},
    {"KF1601",   "ZF", ImageFamily::fc},
    {"KF3202M",  "WF", ImageFamily::fc},
    {"KF3202",   "WF", ImageFamily::fc},
    {"KF1610",   "UD", ImageFamily::fc},
    {"KF1610",   "FD", ImageFamily::fc},
    {"KF1604B",  "UH", ImageFamily::fc},
    {"KF1604",   "UF", ImageFamily::fc},
    {"KC2100",   "C",  ImageFamily::kx2},
    {"KC3200",   "D",  ImageFamily::kx3},
    {"KH3201",   "G",  ImageFamily::halvard},
    {"KH3202",   "G",  ImageFamily::halvard},
};
// clang-format on

const ModelRow kUnknownModelRow = {kUnknownModelText, "XX", ImageFamily::none};

// clang-format off
constexpr ModelRule kModelRules[kModelRuleCount] = {
    // First-generation converged adapter (KX2): one device ID per function.
    {0x3A00, ModelTest::otherwise, 0, 0, kRowKC2100},
    {0x3A02, ModelTest::otherwise, 0, 0, kRowKC2100},
    {0x3A04, ModelTest::otherwise, 0, 0, kRowKC2100},
    // Second-generation converged adapter (KX3).
    {0x3A10, ModelTest::otherwise, 0, 0, kRowKC3200},
    {0x3A12, ModelTest::otherwise, 0, 0, kRowKC3200},
    {0x3A14, ModelTest::otherwise, 0, 0, kRowKC3200},
    {0x5100, ModelTest::otherwise, 0, 0, kRowKF210},
    {0x5140, ModelTest::multiFunction, 0, 0, kRowKF222},
    {0x5140, ModelTest::otherwise, 0, 0, kRowKF221},
    {0x5200, ModelTest::otherwise, 0, 0, kRowKF410},
    {0x5240, ModelTest::multiFunction, 0, 0, kRowKF422},
    {0x5240, ModelTest::otherwise, 0, 0, kRowKF421},
    {0x5280, ModelTest::otherwise, 0, 0, kRowKF410RevB},
    {0x5340, ModelTest::otherwise, 0, 0, kRowKF450},
    {0x5380, ModelTest::otherwise, 0, 0, kRowKF460},
    {0x5400, ModelTest::otherwise, 0, 0, kRowKF810},
    {0x5440, ModelTest::multiFunction, 0, 0, kRowKF822},
    {0x5440, ModelTest::otherwise, 0, 0, kRowKF821},
    {0x5480, ModelTest::otherwise, 0, 0, kRowKF810RevB},
    {0x5500, ModelTest::otherwise, 0, 0, kRowKF840M},
    {0x5540, ModelTest::flags, kFamilyFFlags[1], 0, kRowKF850F},
    {0x5540, ModelTest::otherwise, 0, 0, kRowKF850},
    {0x5600, ModelTest::multiFunction, 0, 0, kRowKF1210},
    {0x5600, ModelTest::otherwise, 0, 0, kRowKF1200},
    {0x5700, ModelTest::otherwise, 0, 0, kRowKF500},
    {0x5800, ModelTest::otherwise, 0, 0, kRowKF620E},
    // Halvard Fibre Channel adapter.
    {0x6C00, ModelTest::multiFunction, 0, 0, kRowKH3202},
    {0x6C00, ModelTest::otherwise, 0, 0, kRowKH3201},
    {0x7C00, ModelTest::otherwise, 0, 0, kRowKF1601Early},
    {0x7C40, ModelTest::multiFunction, 0, 0, kRowKF1622},
    {0x7C40, ModelTest::otherwise, 0, 0, kRowKF1621},
    // The 16G family: OEM variants, the Cindral blades, then the port count.
    {0x7D00, ModelTest::subsystem, 0x103C, 0x338F, kRowKF1602R},
    {0x7D00, ModelTest::cindralBlade, 0, 0, kRowKF1602CB},
    {0x7D00, ModelTest::subsystem, 0x1A5C, 0x7D21, kRowKF1602M},
    {0x7D00, ModelTest::subsystem, 0x1014, 0x0401, kRowKF1602M},
    {0x7D00, ModelTest::subsystem, 0x103C, 0x3392, kRowKF1602S},
    {0x7D00, ModelTest::subsystem, 0x103C, 0x3391, kRowKF1601S},
    {0x7D00, ModelTest::subsystemDevice, 0, 0x7D2E, kRowKF1601E},
    {0x7D00, ModelTest::multiFunction, 0, 0, kRowKF1602},
    {0x7D00, ModelTest::otherwise, 0, 0, kRowKF1601},
    // Its second device ID: the same rules but those that name 0x7D00.
    {0x7D40, ModelTest::subsystem, 0x103C, 0x3392, kRowKF1602S},
    {0x7D40, ModelTest::subsystem, 0x103C, 0x3391, kRowKF1601S},
    {0x7D40, ModelTest::subsystemDevice, 0, 0x7D2E, kRowKF1601E},
    {0x7D40, ModelTest::multiFunction, 0, 0, kRowKF1602},
    {0x7D40, ModelTest::otherwise, 0, 0, kRowKF1601},
    {0x7E00, ModelTest::subsystem, 0x1A5C, 0x7E22, kRowKF3202M},
    {0x7E00, ModelTest::subsystem, 0x1A5C, 0x7E24, kRowKF3202M},
    {0x7E00, ModelTest::subsystem, 0x1A5C, 0x7E25, kRowKF3202M},
    {0x7E00, ModelTest::subsystem, 0x1A5C, 0x7E26, kRowKF3202M},
    {0x7E00, ModelTest::subsystem, 0x1734, 0x10F4, kRowKF3202M},
    {0x7E00, ModelTest::subsystem, 0x103C, 0x1708, kRowKF3202M},
    {0x7E00, ModelTest::otherwise, 0, 0, kRowKF3202},
    {0x7E40, ModelTest::flags, kFamilyFFlags[0], 0, kRowKF1610F},
    {0x7E40, ModelTest::flags, kFamilyFFlags[1], 0, kRowKF1610F},
    {0x7E40, ModelTest::otherwise, 0, 0, kRowKF1610},
    // Two device IDs that share their rows.
    {0x7F00, ModelTest::subsystem, 0x1A5C, 0x7F22, kRowKF1604B},
    {0x7F00, ModelTest::subsystem, 0x1A5C, 0x7F23, kRowKF1604B},
    {0x7F00, ModelTest::subsystem, 0x1A5C, 0x7F24, kRowKF1604B},
    {0x7F00, ModelTest::otherwise, 0, 0, kRowKF1604},
    {0x7F10, ModelTest::subsystem, 0x1A5C, 0x7F22, kRowKF1604B},
    {0x7F10, ModelTest::subsystem, 0x1A5C, 0x7F23, kRowKF1604B},
    {0x7F10, ModelTest::subsystem, 0x1A5C, 0x7F24, kRowKF1604B},
    {0x7F10, ModelTest::otherwise, 0, 0, kRowKF1604},
};
// The count is written by hand in the header: a table shorter than it would
// end in rules of zeros.
static_assert(kModelRules[kModelRuleCount - 1].deviceId != 0, "kModelRuleCount exceeds the table");
// clang-format on

// clang-format off
const SubsystemPair kCindralBladeSubsystems[kCindralBladeCount] = {
    {0x1A5C, 0x7D24},
    {0x1A5C, 0x7D25},
    {0x1A5C, 0x7D26},
    {0x1A5C, 0x7D27},
    {0x1A5C, 0x7D2A},
    {0x1A5C, 0x7D2B},
    {0x1A5C, 0x7D2C},
    {0x1A5C, 0x7D30},
    {0x1A5C, 0x7D31},
    {0x1A5C, 0x7D34},
    {0x1A5C, 0x7D35},
    {0x1A5C, 0x7D36},
    {0x103C, 0x1719},
    {0x1734, 0x113C},
    {0x1054, 0x3053},
};
// clang-format on

// 32 Fibre Channel models, then the converged types with their function
// suffixes and the Halvard models, which fwmatrix.txt names without a code.
// clang-format off
const KnownModel kKnownModels[kKnownModelCount] = {
    {"KF210", "HF"},
    {"KF221", "HD"},
    {"KF222", "HD"},
    {"KF410", "TF"},
    {"KF421", "TD"},
    {"KF422", "TD"},
    {"KF450", "LF"},
    {"KF460", "MF"},
    {"KF500", "OF"},
    {"KF620E", "EM"},
    {"KF810", "BF"},
    {"KF821", "BD"},
    {"KF822", "BD"},
    {"KF840M", "BJ"},
    {"KF850", "BE"},
    {"KF1200", "UD"},
    {"KF1210", "UH"},
    {"KF1601", "ZF"},
    {"KF1601E", "ZE"},
    {"KF1601S", "ZF"},
    {"KF1602", "ZF"},
    {"KF1602CB", "ZD"},
    {"KF1602M", "ZJ"},
    {"KF1602R", "ZF"},
    {"KF1602S", "ZF"},
    {"KF1604", "UF"},
    {"KF1604B", "UH"},
    {"KF1610", "UD"},
    {"KF1621", "ZE"},
    {"KF1622", "ZE"},
    {"KF3202", "WF"},
    {"KF3202M", "WF"},
    {"KC2100-FCoE", ""},
    {"KC2100-iSCSI", ""},
    {"KC2100-NIC", ""},
    {"KC3200-FCoE", ""},
    {"KC3200-iSCSI", ""},
    {"KC3200-NIC", ""},
    {"KH3201", ""},
    {"KH3202", ""},
};
// clang-format on

ImageFamily familyOfDeviceId(uint32_t deviceId) {
  for (const ModelRule& rule : kModelRules) {
    if (rule.deviceId == deviceId) return kModelRows[rule.row].family;
  }
  return ImageFamily::none;
}

bool isKnownFwmatrixModel(const char* token) {
  for (const KnownModel& known : kKnownModels) {
    if (equalsIgnoringCase(token, known.type)) return true;
  }
  return false;
}

}  // namespace vornup
