// The decision in automatic mode for an update, rewrite or forced download:
// the highest image of the adapter's type, and for boot code the first kind
// (universal, pair, open, EFI, x86) whose highest image is needed.
#include "selection/decision_auto.h"

#include <iterator>

#include "core/placeholder_text.h"
#include "core/run_state.h"
#include "download/download.h"
#include "report/adapter_lines.h"
#include "selection/decision_downgrade.h"
#include "selection/decision_rule.h"
#include "selection/fpga_gate.h"
#include "selection/image_match.h"

namespace vornup {

namespace {

constexpr char kFirmwareOperation[] = "operation     = forceFw || updateFw || rewriteFw\n";
constexpr char kBootCodeOperation[] = "operation     = forceBc || updateBc || rewriteBc\n";
constexpr char kNewImage[] = "New image     = %s\n";
constexpr char kNoNewImage[] = "New image     = NONE\n";
constexpr char kNoMatchingFirmware[] = "\n%s: No matching firmware found for HBA: %s\n";
constexpr char kBootCodeTypeNotFound[] = "boot code type \"%s\" not found\n";
constexpr char kNoCompatibleBootCode[] = "\n%s: No compatible boot code found for HBA = %s\n";

void decideAutoFirmware(RunState& run, Adapter& adapter) {
  run.out.traceOut(kFirmwareOperation);
  const auto candidate = findFirmwareCandidate(run, adapter);
  if (candidate == run.firmwareList.end()) {
    run.out.traceOut(kNoNewImage);
    reportNoCompatibleImage(run, adapter, ImageKind::firmware, kNoMatchingFirmware,
                            adapter.model.c_str());
    return;
  }
  ++run.counters.compatibleImageCount;
  run.out.traceOut(kNewImage, candidate->decodedId.c_str());
  decideForImage(run, adapter, *candidate, ImageKind::firmware);
}

}  // namespace

// clang-format off
const BootCodeKind kBootCodeKinds[] = {
    {"sub operation = universal boot code\n", 'U'},
    {"sub operation = pair boot code\n", 'P'},
    {"sub operation = open boot code\n", 'O'},
    {"sub operation = efi boot code\n", 'E'},
    {"sub operation = x86 boot code\n", 'B'},
};
// clang-format on
const std::size_t kBootCodeKindCount = std::size(kBootCodeKinds);

ImageList::const_iterator findFirmwareCandidate(RunState& run, const Adapter& adapter) {
  const ImageList& list = run.firmwareList;
  const auto candidate = isConvergedFamily(adapter)
                             ? findImageByFamily(adapter.imageFamily, list)
                             : findImageByTypeCode(adapter.fwType.c_str(), list, false);
  if (candidate != list.end() && isFpgaGatedAdapter(adapter) &&
      !isCompatibleKX2FirmwareVersion(run, *candidate)) {
    return list.end();
  }
  return candidate;
}

void decideAutoUpdate(RunState& run, Adapter& adapter) {
  const Switches& sw = run.sw;
  if (sw.downgrade) {
    decideAutoDowngrade(run, adapter);
    return;
  }
  if (sw.forceFw || sw.update || sw.rewrite) decideAutoFirmware(run, adapter);
  if (!isConvergedFamily(adapter) && (sw.forceBootCode || sw.update || sw.rewrite)) {
    run.out.traceOut(kBootCodeOperation);
    updateBootCodeByKind(run, adapter);
  }
}

DecisionResult updateBootCodeByKind(RunState& run, Adapter& adapter) {
  DecisionResult outcome = DecisionResult::noImage;
  bool imageNotNeeded = false;
  for (const BootCodeKind& kind : kBootCodeKinds) {
    run.out.traceOut("%s", kind.trace);
    const char typeCode[] = {adapter.bootCodeType.c_str()[0], kind.letter, '\0'};
    outcome = tryBootCodeKind(run, typeCode, adapter);
    if (outcome == DecisionResult::notNeeded) imageNotNeeded = true;
    if (outcome != DecisionResult::noImage && outcome != DecisionResult::notNeeded) return outcome;
  }
  if (outcome == DecisionResult::noImage) {
    // The console speaks of the last kind, x86, which has no image; the
    // report keeps the decision on an earlier kind's image that was found
    // and not needed (a current boot code reads as in fwmatrix mode).
    if (!imageNotNeeded) {
      noteImageDecision(run, adapter, ImageKind::bootCode, ImageDecision::noCompatibleImage,
                        nullptr);
    }
    printQueryLine(run, adapter, kNoneText, ImageKind::bootCode);
    if (run.sw.verbose) {
      run.out.consoleOut(kNoCompatibleBootCode, run.programName, adapter.model.c_str());
    }
  }
  return outcome;
}

DecisionResult tryBootCodeKind(RunState& run, const char* typeCode, Adapter& adapter) {
  const auto image = findImageByTypeCode(typeCode, run.bootList, false);
  if (image == run.bootList.end()) {
    run.out.traceOut(kBootCodeTypeNotFound, typeCode);
    return DecisionResult::noImage;
  }
  ++run.counters.compatibleImageCount;
  run.out.traceOut(kNewImage, image->decodedId.c_str());
  return decideForImage(run, adapter, *image, ImageKind::bootCode);
}

}  // namespace vornup
