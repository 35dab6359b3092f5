// The decision in automatic mode under /downgrade: walking down the sorted
// lists from the highest image of the adapter's type, the first image older
// than the installed version is downloaded, that is the next lower version.
#include "selection/decision_downgrade.h"

#include "core/placeholder_text.h"
#include "core/run_state.h"
#include "download/download.h"
#include "report/adapter_lines.h"
#include "selection/decision_auto.h"
#include "selection/decision_rule.h"
#include "selection/fpga_gate.h"
#include "selection/image_match.h"

namespace vornup {

namespace {

constexpr char kFirmwareDowngrade[] = "operation     = firmware downgrade\n";
constexpr char kBootCodeDowngrade[] = "operation     = boot code downgrade\n";
constexpr char kNoFirmware[] = "\n%s: No firmware found for HBA: %s\n";
constexpr char kNoBootCode[] = "\n%s: No boot code found for HBA: %s\n";

// Where a walk down a list got to.
struct Walk {
  const ImageNode* lastTried = nullptr;
  bool downloaded = false;
};

// Decides one image of the walk; true when the walk goes on to the next one.
// A failed download ends the walk unless `pastFailures` is set.
bool tryInWalk(RunState& run, Adapter& adapter, const ImageNode& image, ImageKind kind,
               bool pastFailures, Walk& walk) {
  ++run.counters.compatibleImageCount;
  walk.lastTried = &image;
  const DecisionResult outcome = decideForImage(run, adapter, image, kind);
  if (outcome == DecisionResult::downloaded) {
    walk.downloaded = true;
    return false;
  }
  return outcome == DecisionResult::notNeeded || pastFailures;
}

// Nothing was downloaded: the query line with the last image tried, and the
// note that no downgrade was required.
void reportNoDowngrade(RunState& run, const Adapter& adapter, const Walk& walk, ImageKind kind) {
  const char* tried = walk.lastTried != nullptr ? walk.lastTried->sortedFileName.c_str() : "";
  printQueryLine(run, adapter, tried, kind);
  if (run.sw.verbose) printNotRequired(run, adapter, kind);
}

void downgradeFirmware(RunState& run, Adapter& adapter) {
  run.out.traceOut(kFirmwareDowngrade);
  const ImageList& list = run.firmwareList;
  auto image = findFirmwareCandidate(run, adapter);
  if (image == list.end()) {
    reportNoCompatibleImage(run, adapter, ImageKind::firmware, kNoFirmware, adapter.model.c_str());
    return;
  }
  const bool gated = isFpgaGatedAdapter(adapter);
  Walk walk;
  for (; image != list.end() && imageMatchesAdapter(adapter, *image, ImageKind::firmware) &&
         (!gated || isCompatibleKX2FirmwareVersion(run, *image));
       ++image) {
    if (!tryInWalk(run, adapter, *image, ImageKind::firmware, false, walk)) break;
  }
  if (!walk.downloaded) reportNoDowngrade(run, adapter, walk, ImageKind::firmware);
}

void downgradeBootCode(RunState& run, Adapter& adapter) {
  run.out.traceOut(kBootCodeDowngrade);
  const ImageList& list = run.bootList;
  const char* bootCodeType = adapter.bootCodeType.c_str();
  auto image = findImageByTypeCode(bootCodeType, list, false);
  if (image == list.end()) {
    reportNoCompatibleImage(run, adapter, ImageKind::bootCode, kNoBootCode, adapter.model.c_str());
    return;
  }
  // First pass: the images of the adapter's own boot code type.
  Walk walk;
  for (; image != list.end() && imageMatchesAdapter(adapter, *image, ImageKind::bootCode);
       ++image) {
    if (!tryInWalk(run, adapter, *image, ImageKind::bootCode, false, walk)) break;
  }
  // Second pass: the boot images of every kind of the adapter's family, past
  // failed downloads too.
  if (!walk.downloaded) {
    image = findImageByTypeCode(bootCodeType, list, true);
    for (; image != list.end() && image->fcSortKey.c_str()[0] == bootCodeType[0]; ++image) {
      if (!tryInWalk(run, adapter, *image, ImageKind::bootCode, true, walk)) break;
    }
  }
  if (!walk.downloaded) reportNoDowngrade(run, adapter, walk, ImageKind::bootCode);
}

}  // namespace

void decideAutoDowngrade(RunState& run, Adapter& adapter) {
  downgradeFirmware(run, adapter);
  if (isConvergedFamily(adapter)) return;
  downgradeBootCode(run, adapter);
}

}  // namespace vornup
