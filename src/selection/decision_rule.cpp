// The per-image rule and decideForImage, which applies it to one image of
// the discovered lists.
#include "selection/decision_rule.h"

#include "core/placeholder_text.h"
#include "core/run_state.h"
#include "core/versions.h"
#include "download/download.h"
#include "report/adapter_lines.h"

namespace vornup {

namespace {

constexpr char kNeededTrace[] = "update needed = true\n";
constexpr char kNotNeededTrace[] = "update needed = false\n";

}  // namespace

bool isDownloadWanted(const RunState& run, const Adapter& adapter, const ImageNode& image,
                      ImageKind kind) {
  const Switches& sw = run.sw;
  const bool firmware = kind == ImageKind::firmware;
  const char* installed = firmware ? adapter.fwVersion.c_str() : adapter.bootCodeVersion.c_str();
  bool need = isUpdateNeeded(run, adapter, image, installed);
  if (sw.downgrade) need = !need;
  const bool forced = firmware ? sw.forceFw : sw.forceBootCode;
  return forced || ((sw.downgrade || sw.update || sw.rewrite) && need);
}

void noteImageDecision(const RunState& run, Adapter& adapter, ImageKind kind,
                       ImageDecision decision, const ImageNode* image) {
  const bool firmware = kind == ImageKind::firmware;
  imageRecordOf(adapter, kind).noteDecision(decision, image,
                                            firmware ? run.firmwareDirectory.c_str() : run.bootDirectory.c_str());
}

void reportNoCompatibleImage(RunState& run, Adapter& adapter, ImageKind kind, const char* note,
                             const char* detail) {
  noteImageDecision(run, adapter, kind, ImageDecision::noCompatibleImage, nullptr);
  printQueryLine(run, adapter, kNoneText, kind);
  if (run.sw.verbose) run.out.consoleOut(note, run.programName, detail);
}

DecisionResult decisionResultOf(DownloadResult result) {
  return result == DownloadResult::done ? DecisionResult::downloaded : DecisionResult::failed;
}

DecisionResult decideForImage(RunState& run, Adapter& adapter, const ImageNode& image, ImageKind kind) {
  const bool wanted = isDownloadWanted(run, adapter, image, kind);
  noteImageDecision(run, adapter, kind,
                    wanted ? ImageDecision::download : ImageDecision::notRequired, &image);
  if (wanted) {
    run.out.traceOut(kNeededTrace);
    printQueryLine(run, adapter, image.sortedFileName.c_str(), kind);
    return decisionResultOf(executeDownload(run, adapter, image, kind));
  }
  // Under /downgrade the caller reports once it has tried every candidate.
  if (!run.sw.downgrade) {
    run.out.traceOut(kNotNeededTrace);
    if (run.sw.update || run.sw.rewrite) {
      printQueryLine(run, adapter, image.sortedFileName.c_str(), kind);
    }
    if (run.sw.verbose) printNotRequired(run, adapter, kind);
  }
  return DecisionResult::notNeeded;
}

}  // namespace vornup
