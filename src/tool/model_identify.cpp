#include "tool/model_identify.h"

#include "core/model_table.h"
#include "core/placeholder_text.h"
#include "tool/command_safety.h"
#include "tool/label_reader.h"
#include "tool/port_reads.h"

namespace vornup {
namespace {

constexpr char kPciDataCommand[] = "pcidata %s";
constexpr char kHeaderTypeLabel[] = "Header Type";
constexpr uint32_t kMultiFunctionHeaderType = 0x80;

bool ruleHolds(RunState& run, Adapter& a, const ModelRule& rule) {
  switch (rule.test) {
    case ModelTest::subsystem:
      return a.subVenDevID == rule.first && a.subSysDevID == rule.second;
    case ModelTest::subsystemDevice:
      return a.subSysDevID == rule.second;
    case ModelTest::cindralBlade:
      return isCindralBlade(a.pciID, a.subSysDevID, a.subVenDevID);
    case ModelTest::flags:
      return a.flags == rule.first;
    case ModelTest::multiFunction:
      return isMultiFunctionDevice(run, a);
    case ModelTest::otherwise:
      return true;
  }
  return false;
}

// The first rule of the adapter's device ID that holds chooses the row.
const ModelRow& findModelRow(RunState& run, Adapter& a) {
  for (const ModelRule& rule : kModelRules) {
    if (rule.deviceId == a.pciID && ruleHolds(run, a, rule)) return kModelRows[rule.row];
  }
  return kUnknownModelRow;
}

}  // namespace

bool identifyModel(RunState& run, Adapter& a) {
  const ModelRow& row = findModelRow(run, a);
  a.fwType.set(row.typeCode);
  a.model.set(row.model);
  a.fwType.truncate(isConvergedFamily(a) ? 1 : 2);
  if (&row == &kUnknownModelRow) {
    a.supported = 0;
    a.bootCodeType = a.fwType;
    return false;
  }
  ++run.counters.knownPortCount;
  a.supported = 1;
  if (a.bootCodeVersion.equals(kNoneText) && run.sw.forceBootCode) a.bootCodeType.assign(a.fwType.c_str(), 1);
  return true;
}

bool isMultiFunctionDevice(RunState& run, Adapter& a) {
  readPort(run, a, kPciDataCommand, adapterAddress(a));
  return readHexLabel(kHeaderTypeLabel, run.toolOutput.c_str()) == kMultiFunctionHeaderType;
}

bool isCindralBlade(uint32_t deviceId, uint32_t subSysDevId, uint32_t subVenDevId) {
  if (deviceId != kCindralBladeDeviceId) return false;
  for (const SubsystemPair& blade : kCindralBladeSubsystems) {
    if (blade.vendor == subVenDevId && blade.device == subSysDevId) return true;
  }
  return false;
}

}  // namespace vornup
