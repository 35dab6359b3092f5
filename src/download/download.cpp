#include "download/download.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "download/image_copy.h"
#include "platform/interrupts.h"
#include "report/adapter_lines.h"
#include "tool/attributes.h"
#include "tool/command_safety.h"

namespace vornup {

namespace {

constexpr char kUpdateStatusHeading[] = "\n[updateCNAdownloadStatus]\n";
constexpr char kSkippingTrace[] = "Skipping adapter...\n";
// Each line starts with the record's role: "currentHba" or "updatedHba".
constexpr char kHbaStatusTrace[] =
    "%s adapterNumber = %d\n"
    "%s serialNumber  = %s\n"
    "%s busNumber     = %X\n"
    "%s downloadStat  = %X\n\n";
constexpr char kCurrentHba[] = "currentHba";
constexpr char kUpdatedHba[] = "updatedHba";

// The image is named by the full path of the verified private copy, so the
// tool flashes exactly the bytes that were checked, whatever the current
// directory is.
constexpr char kDownloadCommand[] = "download %s \"%s\"";

constexpr char kStatusSuccess[] = "Success";
constexpr char kStatusError[] = "Error";
constexpr char kStatusPreview[] = "Preview";

constexpr char kSucceededMarker[] = "Complete";
constexpr char kRebootMarker[] = "reboot";

// Reasons of failed downloads in the run report.
constexpr char kImageMissingReason[] = "the image file was not found: ";
constexpr char kToolFailedReason[] = "the tool did not report a completed download";
constexpr char kNotAttemptedReason[] = "not attempted: the run was interrupted";
constexpr char kNotAttemptedNote[] =
    "%s: the %s download of %s to %s was not attempted: the run was interrupted\n";
constexpr char kSharedFailedReason[] =
    "the download through another function of the same adapter failed";

constexpr int kResultDownloaded = 0;
constexpr int kResultFailed = 1;

// What differs between a firmware and a boot code download.
struct DownloadKind {
  const char* heading;
  const char* previewTrace;
  const char* commandTrace;
  const char* label;          // "Update=" of the result line
  const char* missingStatus;  // the status text of a missing file
  ImageKind imageKind;
};

const DownloadKind kFirmwareDownload = {
    "\n[executeFwDownload]\n",           "fw downloadCmd = preview\n",
    "fw downloadCmd = %s %s\n",          "Firmware",
    "Error: Firmware file not found!\n", ImageKind::firmware,
};

const DownloadKind kBootCodeDownload = {
    "\n[executeBiosDownload]\n",          "bc downloadCmd = preview\n",
    "bc downloadCmd = %s %s\n",           "Boot Code",
    "Error: Boot code file not found!\n", ImageKind::bootCode,
};

bool isPresent(const char* path) {
  std::error_code error;
  return std::filesystem::exists(path, error);
}

bool toolReported(const RunState& run, const char* word) {
  return std::strstr(run.toolOutput.c_str(), word) != nullptr;
}

void traceAdapterStatus(RunState& run, const char* role, const Adapter& adapter) {
  run.out.traceOut(kHbaStatusTrace, role, static_cast<int>(adapter.adapterNumber), role,
                   adapter.serialNumber.c_str(), role, adapter.bus, role,
                   static_cast<unsigned>(adapter.downloadStat));
}

// Copies and verifies the image at `source`, then runs the download of the
// copy for `address`; the result is judged by the tool's output alone. A
// copy that is not the verified image fails the download without the tool,
// with `refusal` saying why. After an interrupt nothing is copied or run and
// `notAttempted` is set.
bool runDownloadCommand(RunState& run, const char* address, const char* source,
                        const ImageNode& image, const DownloadKind& kind,
                        ImageCopyOutcome& refusal, bool& notAttempted) {
  notAttempted = interruptRequested();
  if (notAttempted) return false;
  ImageCopy copy;
  refusal = copy.make(run, source, image, kind.imageKind);
  if (refusal != ImageCopyOutcome::kReady) {
    reportImageCopyFailure(run, source, refusal);
    return false;
  }
  FixedText<512> shown;
  shown.format(kDownloadCommand, address, copy.path());
  run.out.traceOut(kind.commandTrace, run.toolFileName, shown.c_str());
  const ToolStep step = executeForAddress(run, kDownloadCommand, address, copy.path());
  // The interrupt came while the copy was made: the command was refused.
  notAttempted = step.outcome == ToolStepOutcome::refused && interruptRequested();
  return !notAttempted && toolReported(run, kSucceededMarker);
}

void noteImageMissing(ImageOutcome& outcome, const char* imagePath) {
  outcome.noteDownload(DownloadOutcome::kFailed, (kImageMissingReason + std::string(imagePath)).c_str());
}

// The run report's record of a download the tool was asked for (or, under
// /p, only shown): the tool's reply names a failure; an image copy that was
// refused names the file and why.
void noteToolOutcome(const RunState& run, ImageOutcome& outcome, bool succeeded,
                     bool notAttempted, ImageCopyOutcome refusal, const char* imagePath) {
  if (run.sw.preview) {
    outcome.noteDownload(DownloadOutcome::kPreviewed);
  } else if (notAttempted) {
    outcome.noteDownload(DownloadOutcome::kNotAttempted, kNotAttemptedReason);
  } else if (succeeded) {
    outcome.noteDownload(DownloadOutcome::kDownloaded);
  } else if (refusal != ImageCopyOutcome::kReady) {
    outcome.noteDownload(DownloadOutcome::kFailed,
                         (imageCopyRefusal(refusal) + std::string(imagePath)).c_str());
  } else {
    outcome.noteDownload(DownloadOutcome::kFailed, kToolFailedReason, run.toolOutput.c_str());
  }
}

// A converged function whose adapter was already downloaded through another
// function: report the shared outcome without running the tool again.
int reportSharedOutcome(RunState& run, Adapter& adapter, const ImageNode& image) {
  Counters& c = run.counters;
  --c.cnaFwDownloadCount;
  formatResultLine(adapter.fwResultLine, adapter, image.decodedId.c_str(), kFirmwareDownload.label,
                   adapter.fwVersion.c_str(), image.actualFileName.c_str());
  int result = kResultDownloaded;
  if (adapter.downloadStat == kDownloadSucceeded) {
    adapter.fwResultLine.append(run.sw.preview ? kStatusPreview : kStatusSuccess);
    adapter.firmwareOutcome.noteDownload(run.sw.preview ? DownloadOutcome::kPreviewed
                                                        : DownloadOutcome::kDownloaded);
  } else {
    adapter.firmwareOutcome.noteDownload(DownloadOutcome::kFailed, kSharedFailedReason);
    adapter.fwResultLine.append(run.sw.preview ? kStatusPreview : kStatusError);
    ++c.downloadErrorCount;
    ++c.cnaFwErrorCount;
    result = kResultFailed;
  }
  adapter.fwResultLine.append("\n");
  run.out.consoleOut("%s", adapter.fwResultLine.c_str());
  run.out.traceOut(kSkippingTrace);
  traceAdapterStatus(run, kCurrentHba, adapter);
  return result;
}

// The download skeleton both kinds share. Firmware of the converged family
// records its outcome for the whole physical adapter; boot code that was
// found disabled is disabled again afterwards.
int executeKindDownload(RunState& run, Adapter& adapter, const ImageNode& image,
                        const DownloadKind& kind) {
  Counters& c = run.counters;
  const bool firmware = kind.imageKind == ImageKind::firmware;
  const bool converged = firmware && isConvergedFamily(adapter);
  FixedText<256>& resultLine = firmware ? adapter.fwResultLine : adapter.bootResultLine;
  const char* installed = firmware ? adapter.fwVersion.c_str() : adapter.bcVersion.c_str();
  ImageOutcome& reportOutcome = firmware ? adapter.firmwareOutcome : adapter.bootCodeOutcome;
  ++c.downloadCount;
  run.out.traceOut("%s", kind.heading);
  (firmware ? adapter.fwAttempted : adapter.bootAttempted) = 1;
  if (converged) ++c.cnaFwDownloadCount;

  const FixedText<256>& directory = firmware ? run.firmwareDirectory : run.bootDirectory;
  FixedText<512> imagePath(directory.c_str());
  const bool pathFits = imagePath.append(image.actualFileName.c_str());
  if (!pathFits || !isPresent(imagePath.c_str())) {
    formatResultLine(resultLine, adapter, image.decodedId.c_str(), kind.label, installed,
                     image.actualFileName.c_str());
    ++c.downloadErrorCount;
    if (converged) {
      adapter.downloadStat = kDownloadFailed;
      ++c.cnaFwErrorCount;
    }
    resultLine.append(kind.missingStatus);
    noteImageMissing(reportOutcome, imagePath.c_str());
    run.out.consoleOut("%s", resultLine.c_str());
    if (firmware) run.out.traceOut("%s", resultLine.c_str());
    return kResultFailed;
  }

  if (converged && adapter.downloadStat != kDownloadNone) {
    return reportSharedOutcome(run, adapter, image);
  }

  bool succeeded = false;
  bool notAttempted = false;
  ImageCopyOutcome refusal = ImageCopyOutcome::kReady;
  if (run.sw.preview) {
    run.out.traceOut("%s", kind.previewTrace);
  } else {
    // Boot code goes to the port's WWN, firmware to the address the tool
    // knows the port by.
    const char* address = firmware ? adapterAddress(adapter) : adapter.wwn.c_str();
    succeeded =
        runDownloadCommand(run, address, imagePath.c_str(), image, kind, refusal, notAttempted);
    if (notAttempted) {
      run.out.errorOut(kNotAttemptedNote, run.programName, firmware ? "firmware" : "boot code",
                       image.actualFileName.c_str(), address);
    }
  }

  formatResultLine(resultLine, adapter, image.decodedId.c_str(), kind.label, installed,
                   image.actualFileName.c_str());
  noteToolOutcome(run, reportOutcome, succeeded, notAttempted, refusal, imagePath.c_str());
  int result = kResultDownloaded;
  if (run.sw.preview) {
    if (firmware) adapter.downloadStat = kDownloadSucceeded;
    resultLine.append(kStatusPreview);
  } else if (succeeded) {
    if (converged) {
      adapter.downloadStat = kDownloadSucceeded;
      if (!toolReported(run, kRebootMarker)) ++c.cnaNoRebootCount;
    }
    resultLine.append(kStatusSuccess);
  } else {
    if (converged) {
      adapter.downloadStat = kDownloadFailed;
      ++c.cnaFwErrorCount;
    }
    ++c.downloadErrorCount;
    resultLine.append(kStatusError);
    result = kResultFailed;
  }
  if (converged) updateCNAdownloadStatus(run, adapter);
  resultLine.append("\n");
  run.out.consoleOut("%s", resultLine.c_str());

  // Boot code that was found disabled was enabled only to read it; disable it
  // again, in preview runs too.
  if (!firmware && adapter.bootEnabled == 0) setBootCodeBack(run, adapter.wwn.c_str());
  return result;
}

}  // namespace

int executeDownload(RunState& run, Adapter& adapter, const ImageNode& image, ImageKind kind) {
  return kind == ImageKind::firmware ? executeFwDownload(run, adapter, image)
                                     : executeBiosDownload(run, adapter, image);
}

int executeFwDownload(RunState& run, Adapter& adapter, const ImageNode& image) {
  return executeKindDownload(run, adapter, image, kFirmwareDownload);
}

int executeBiosDownload(RunState& run, Adapter& adapter, const ImageNode& image) {
  return executeKindDownload(run, adapter, image, kBootCodeDownload);
}

void updateCNAdownloadStatus(RunState& run, const Adapter& adapter) {
  run.out.traceOut(kUpdateStatusHeading);
  traceAdapterStatus(run, kCurrentHba, adapter);
  for (auto& other : run.adapterList) {
    if (!isSameAdapter(*other, adapter)) continue;
    other->downloadStat = adapter.downloadStat;
    traceAdapterStatus(run, kUpdatedHba, *other);
  }
}

}  // namespace vornup
