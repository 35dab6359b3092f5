// The attribute step: one adapter port, of the kind the input's first byte
// chooses, completed from the tool's replies to "hbaattrib", "enablebootcode",
// "wakeup" and "pcidata" in the order the step runs them (the rest of the
// input after that byte, one reply per call). Then the "wakeup" reader alone
// on the last reply, and the list-wide passes.
#include "fuzz_tool.h"

#include "tool/attributes.h"
#include "tool/boot_code_type.h"
#include "tool/model_identify.h"
#include "tool/port_suffixes.h"

namespace {

struct PortKind {
  const char* portType;
  int32_t cnaType;
  const char* address;
  bool byMac;
};

const PortKind kPortKinds[] = {
    {"FC", vornup::kCnaTypeFc, "10:00:00:00:C9:7D:00:01", false},
    {"FCoE", vornup::kCnaTypeFcoe, "10:00:00:90:FA:3A:00:02", false},
    {"NIC", vornup::kCnaTypeNic, "00-90-FA-3A-00-01", true},
    {"iSCSI", vornup::kCnaTypeIscsi, "00-90-FA-3A-00-03", true},
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  using namespace vornup;
  if (size == 0) return 0;
  const uint8_t choice = data[0];
  const PortKind& kind = kPortKinds[choice % 4];
  std::vector<std::string> replies = fuzz::splitReplies(data + 1, size - 1);
  fuzz::ScriptedTool tool(replies);
  RunState run(tool.platform);
  fuzz::prepareRun(run);
  run.sw.forceBootCode = (choice >> 2) & 1;
  run.sw.verbose = (choice >> 3) & 1;

  Adapter* a = newAdapterRecord(run);
  if (a == nullptr) return 0;
  (kind.byMac ? a->mac : a->wwn).set(kind.address);
  a->portType.set(kind.portType);
  a->cnaType = kind.cnaType;
  a->personality = kind.cnaType;
  a->serialNumber.set("KC2100B0007");
  a->flags = (choice & 0x10) ? 0x7D8D : 0x7E0D;
  readAdapterAttributes(run, *a);

  // The same replies again for a second port of the same adapter, then the
  // passes over both.
  Adapter* sibling = newAdapterRecord(run);
  if (sibling != nullptr) {
    sibling->mac.set("00-90-FA-3A-00-05");
    sibling->portType.set("NIC");
    sibling->cnaType = kCnaTypeNic;
    sibling->serialNumber = a->serialNumber;
    fuzz::ScriptedTool again(replies);
    RunState second(again.platform);
    fuzz::prepareRun(second);
    readAdapterAttributes(second, *sibling);
    decodeBootCodeType(replies.back().c_str(), *sibling);
    readBootCodeType(second, *a);
    identifyModel(second, *a);
    fuzz::finishRun(second);
  }
  settleNicPersonalities(run);
  applyPortSuffixes(run);
  fuzz::finishRun(run);
  return 0;
}
