// The decision in fwmatrix mode: the adapter's fwmatrix.txt line names one
// firmware file and one boot code file; each is loaded into a node of its own,
// checked, and downloaded when the operation needs it.
#include "selection/decision_fwmatrix.h"

#include <cstring>
#include <string>

#include "core/adapter.h"
#include "core/placeholder_text.h"
#include "core/run_state.h"
#include "download/download.h"
#include "images/image_status.h"
#include "report/adapter_lines.h"
#include "selection/decision_rule.h"
#include "selection/fpga_gate.h"
#include "selection/fwmatrix.h"
#include "selection/image_discovery.h"

namespace vornup {

namespace {

constexpr char kUsingFwmatrix[] = "\n[Using FWMATRIX.TXT]\n";
constexpr char kNoEntryForAdapter[] = "\n%s: No fwmatrix.txt entry for HBA = %s\n";
constexpr char kOperationHeading[] = "\n[Operation]\n";
constexpr char kUpdateNeededHeading[] = "\n[Update Needed]\n";
constexpr char kTrue[] = "true\n";
constexpr char kFalse[] = "false\n";
// A reason the line's file gives no usable image, printed under /v with the
// program name before it: "\n<program>: <text>\n".
constexpr char kMissingImageLine[] = "\n%s: %s\n";
constexpr char kIncompatibleFirmware[] = "Error - Incompatible firmware image for HBA = %s, status = %X";

// What differs between the firmware and the boot code step.
struct FwmatrixKind {
  ImageKind kind;
  bool fpgaGate;  // a gated adapter takes no image below the fpga version
  const char* operationTrace;
  // Reasons, each with the model and the status.
  const char* noEntry;
  const char* invalidEntry;
  const char* readError;
  const char* openFileError;
  const char* invalidFile;
};

const FwmatrixKind kFirmwareStep = {
    ImageKind::firmware,
    true,
    "forceFw || downgradeFw || rewriteFw || updateFw\n",
    "No firmware entry found for HBA = %s, status = %X",
    "Invalid firmware entry found for HBA = %s, status = %X",
    "Error - reading firmware image for HBA = %s, status = %X",
    "Error - unable to open firmware file for HBA = %s, status = %X",
    "Error - invalid firmware file found for HBA = %s, status = %X",
};

const FwmatrixKind kBootCodeStep = {
    ImageKind::bootCode,
    false,
    "forceBc || downgradeFw || rewriteFw || updateFw\n",
    "No boot code entry found for HBA = %s, status = %X",
    "Invalid boot code entry found for HBA = %s, status = %X",
    "Error - reading boot code image for HBA = %s, status = %X",
    "Error - unable to open boot code file for HBA = %s, status = %X",
    "Error - invalid boot code file found for HBA = %s, status = %X",
};

// Why the line's file gives no usable image: the reason and its words.
struct MissingImage {
  ImageReason reason = ImageReason::none;
  FixedText<256> text;

  template <typename... Args>
  void note(ImageReason why, const char* format, Args... args) {
    reason = why;
    text.format(format, args...);
  }
};

// Loads the file `name` into `node`; false with the reason in `missing`
// when there is no usable image.
bool loadNamedImage(RunState& run, const Adapter& adapter, const char* name,
                    const FwmatrixKind& step, ImageNode& node, MissingImage& missing) {
  const char* model = adapter.model.c_str();
  const unsigned openFileError = statusBits(OPEN_FILE_ERROR);
  if (std::strcmp(name, kNoneText) == 0) {
    missing.note(ImageReason::noImageEntry, step.noEntry, model, openFileError);
    return false;
  }
  if (std::strcmp(name, kInvalidFileText) == 0) {
    missing.note(ImageReason::invalidImageEntry, step.invalidEntry, model, openFileError);
    return false;
  }
  const FixedText<256>& directory =
      step.kind == ImageKind::firmware ? run.firmwareDirectory : run.bootDirectory;
  const ImageCheckResult checked = initFileImage(run, node, directory.c_str(), name, step.kind);
  switch (checked.check) {
    case ImageCheck::good:
      break;
    case ImageCheck::unreadable:
      missing.note(ImageReason::imageReadError, step.readError, model, statusBits(checked.status));
      return false;
    case ImageCheck::unopenable:
      missing.note(ImageReason::imageUnopenable, step.openFileError, model, openFileError);
      return false;
    case ImageCheck::notAnImageName:
    case ImageCheck::invalid:
      missing.note(ImageReason::invalidImage, step.invalidFile, model, openFileError);
      return false;
  }
  if (step.fpgaGate && isFpgaGatedAdapter(adapter) && !isCompatibleKX2FirmwareVersion(run, node)) {
    missing.note(ImageReason::incompatibleFirmware, kIncompatibleFirmware, model, 0u);
    return false;
  }
  ++run.counters.compatibleImageCount;
  return true;
}

// No usable image: the operation counts as a failed download, which the run
// record keeps with the reason.
void countMissingImage(RunState& run, Adapter& adapter, const FwmatrixKind& step,
                       const MissingImage& missing) {
  Counters& c = run.counters;
  ++c.downloadErrorCount;
  ++c.downloadCount;
  if (step.kind == ImageKind::firmware && isConvergedFamily(adapter)) {
    ++c.cnaFwErrorCount;
    ++c.cnaFwDownloadCount;
  }
  reportNoCompatibleImage(run, adapter, step.kind, kMissingImageLine, missing.text.c_str());
  imageRecordOf(adapter, step.kind)
      .noteDownload(DownloadOutcome::failed, missing.reason, missing.text.c_str());
}

// One step of the decision: the firmware or the boot code file of the line.
void decideNamedImage(RunState& run, Adapter& adapter, const char* name, const FwmatrixKind& step) {
  run.out.traceOut(kOperationHeading);
  run.out.traceOut("%s", step.operationTrace);
  ImageNode node;
  MissingImage missing;
  if (!loadNamedImage(run, adapter, name, step, node, missing)) {
    countMissingImage(run, adapter, step, missing);
    return;
  }
  const bool wanted = isDownloadWanted(run, adapter, node, step.kind);
  noteImageDecision(run, adapter, step.kind,
                    wanted ? ImageDecision::download : ImageDecision::notRequired, &node);
  run.out.traceOut(kUpdateNeededHeading);
  run.out.traceOut(wanted ? kTrue : kFalse);
  printQueryLine(run, adapter, node.decodedId.c_str(), step.kind);
  if (wanted) {
    executeDownload(run, adapter, node, step.kind);
  } else if (run.sw.verbose) {
    printNotRequired(run, adapter, step.kind);
  }
}

}  // namespace

void decideFwmatrixUpdate(RunState& run, Adapter& adapter) {
  run.out.traceOut(kUsingFwmatrix);
  FixedText<32> firmwareFile;
  FixedText<32> bootCodeFile;
  if (!getFwMatrixMatch(run, adapter, firmwareFile, bootCodeFile)) {
    printPlainQueryLine(run, adapter);
    if (run.sw.verbose) {
      run.out.consoleOut(kNoEntryForAdapter, run.programName, adapter.vornupType.c_str());
    }
    return;
  }
  const Switches& sw = run.sw;
  if (sw.forceFw || sw.downgrade || sw.rewrite || sw.update) {
    decideNamedImage(run, adapter, firmwareFile.c_str(), kFirmwareStep);
  }
  if (isFcAdapter(adapter) && !isConvergedFamily(adapter) &&
      (sw.forceBootCode || sw.downgrade || sw.rewrite || sw.update)) {
    decideNamedImage(run, adapter, bootCodeFile.c_str(), kBootCodeStep);
  }
}

}  // namespace vornup
