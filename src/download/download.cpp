#include "download/download.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <system_error>
#include <utility>

#include "core/baseline_rule.h"
#include "download/image_copy.h"
#include "platform/crypto.h"
#include "platform/host_names.h"
#include "platform/interrupts.h"
#include "report/adapter_lines.h"
#include "tool/attributes.h"
#include "tool/command_safety.h"

namespace vornup {

namespace {

constexpr char kUpdateStatusHeading[] = "\n[updateCNAdownloadStatus]\n";
constexpr char kSkippingTrace[] = "Skipping adapter...\n";
// Each line starts with the record's role: "currentHba" or "updatedHba".
constexpr char kAdapterStatusTrace[] =
    "%s adapterNumber = %d\n"
    "%s serialNumber  = %s\n"
    "%s busNumber     = %X\n"
    "%s downloadStat  = %X\n\n";
constexpr char kCurrentAdapterRole[] = "currentHba";
constexpr char kUpdatedAdapterRole[] = "updatedHba";

// The image is named by the full path of the verified private copy, so the
// tool flashes exactly the bytes that were checked, whatever the current
// directory is.
constexpr char kDownloadCommand[] = "download %s \"%s\"";

constexpr char kStatusSuccess[] = "Success";
constexpr char kStatusError[] = "Error";
constexpr char kStatusPreview[] = "Preview";

constexpr char kSucceededMarker[] = "Complete";
constexpr char kRebootMarker[] = "reboot";

constexpr char kNotAttemptedNote[] =
    "%s: the %s download of %s to %s was not attempted: the run was interrupted\n";
// An image the baseline refuses: the program, the file, the reason.
constexpr char kRefusedNote[] = "%s: image %s refused: %s; it was not downloaded\n";

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
  run.out.traceOut(kAdapterStatusTrace, role, static_cast<int>(adapter.adapterNumber), role,
                   adapter.serialNumber.c_str(), role, adapter.bus, role,
                   static_cast<unsigned>(adapter.downloadStat));
}

// The part of `path` after its last folder separator.
const char* ownName(const char* path) {
  const char* name = path;
  for (const char* c = path; *c != '\0'; ++c) {
    if (*c == '/' || *c == kPathSeparator) name = c + 1;
  }
  return name;
}

// The SHA-256 (hex) of the file at `path`; "" when it cannot be read.
std::string digestOf(const char* path) {
  Sha256Digest digest;
  return sha256OfFile(path, digest) ? hexDigest(digest) : std::string();
}

// Under /p the image file itself is judged, read once a run however many
// ports it is shown for.
std::string previewedDigest(RunState& run, const char* path) {
  auto found = run.previewedDigests.find(path);
  if (found == run.previewedDigests.end()) {
    found = run.previewedDigests.emplace(path, digestOf(path)).first;
  }
  return found->second;
}

// Puts `digest`, that of the bytes to be downloaded (the private copy, or
// under /p the image file), into the report and judges them by the run's
// baseline. A refused image is named on standard error and in the trace.
// True when it may be downloaded.
bool passesBaseline(RunState& run, const Adapter& adapter, const ImageNode& image,
                    const DownloadKind& kind, std::string digest, const char* source,
                    ImageRecord& record) {
  record.sha256 = std::move(digest);
  record.refusal = judgeImage(run.baseline, record.sha256, ownName(image.actualFileName.c_str()),
                              kind.imageKind, adapter.model.c_str());
  if (record.refusal == ImageRefusal::none) return true;
  const std::string why = refusalText(record.refusal, run.baseline);
  run.out.errorOut(kRefusedNote, run.programName, source, why.c_str());
  run.out.traceOut(kRefusedNote, run.programName, source, why.c_str());
  return false;
}

// Copies and verifies the image at `source`, then runs the download of the
// copy for `address`; the result is judged by the tool's output alone. A
// copy that is not the verified image fails the download without the tool,
// with `refusal` saying why, and so does a copy the baseline refuses
// (record.refusal). After an interrupt nothing is copied or run and
// `notAttempted` is set.
bool runDownloadCommand(RunState& run, const Adapter& adapter, const char* address,
                        const char* source, const ImageNode& image, const DownloadKind& kind,
                        ImageCopyOutcome& refusal, ImageRecord& record, bool& notAttempted) {
  notAttempted = interruptRequested();
  if (notAttempted) return false;
  ImageCopy copy;
  refusal = copy.make(run, source, image, kind.imageKind);
  if (refusal != ImageCopyOutcome::ready) {
    reportImageCopyFailure(run, source, refusal);
    return false;
  }
  if (!passesBaseline(run, adapter, image, kind, digestOf(copy.path()), source, record)) {
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

// The record of a download the tool was asked for (or, under /p, only
// shown): a failure keeps the tool's reply; an image copy that was refused
// names the file and why, an image the baseline refused the refusal.
void noteToolOutcome(const RunState& run, ImageRecord& record, bool succeeded,
                     bool notAttempted, ImageCopyOutcome refusal, const char* imagePath) {
  if (record.refusal != ImageRefusal::none) {
    record.noteDownload(DownloadOutcome::failed, ImageReason::baselineRefused,
                        refusalText(record.refusal, run.baseline).c_str());
  } else if (run.sw.preview) {
    record.noteDownload(DownloadOutcome::previewed);
  } else if (notAttempted) {
    record.noteDownload(DownloadOutcome::notAttempted, ImageReason::interrupted);
  } else if (succeeded) {
    record.noteDownload(DownloadOutcome::downloaded);
  } else if (refusal != ImageCopyOutcome::ready) {
    record.noteDownload(DownloadOutcome::failed, imageCopyRefusal(refusal), imagePath);
  } else {
    record.noteDownload(DownloadOutcome::failed, ImageReason::toolFailed, nullptr,
                        run.toolOutput.c_str());
  }
}

// A converged function whose adapter was already downloaded through another
// function: report the shared outcome without running the tool again.
DownloadResult reportSharedOutcome(RunState& run, Adapter& adapter, const ImageNode& image) {
  Counters& c = run.counters;
  --c.cnaFwDownloadCount;
  formatResultLine(adapter.fwResultLine, adapter, image.decodedId.c_str(), kFirmwareDownload.label,
                   adapter.fwVersion.c_str(), image.actualFileName.c_str());
  DownloadResult result = DownloadResult::done;
  if (adapter.downloadStat == kDownloadSucceeded) {
    adapter.fwResultLine.append(run.sw.preview ? kStatusPreview : kStatusSuccess);
    adapter.firmwareRecord.noteDownload(run.sw.preview ? DownloadOutcome::previewed
                                                       : DownloadOutcome::downloaded);
  } else {
    adapter.firmwareRecord.noteDownload(DownloadOutcome::failed,
                                        ImageReason::sharedDownloadFailed);
    adapter.fwResultLine.append(run.sw.preview ? kStatusPreview : kStatusError);
    ++c.downloadErrorCount;
    ++c.cnaFwErrorCount;
    result = DownloadResult::failed;
  }
  adapter.fwResultLine.append("\n");
  run.out.consoleOut("%s", adapter.fwResultLine.c_str());
  run.out.traceOut(kSkippingTrace);
  traceAdapterStatus(run, kCurrentAdapterRole, adapter);
  return result;
}

// The download skeleton both kinds share. Firmware of the converged family
// records its outcome for the whole physical adapter; boot code that was
// found disabled is disabled again afterwards.
DownloadResult executeKindDownload(RunState& run, Adapter& adapter, const ImageNode& image,
                                   const DownloadKind& kind) {
  Counters& c = run.counters;
  const bool firmware = kind.imageKind == ImageKind::firmware;
  const bool converged = firmware && isConvergedFamily(adapter);
  FixedText<256>& resultLine = firmware ? adapter.fwResultLine : adapter.bootResultLine;
  const char* installed = firmware ? adapter.fwVersion.c_str() : adapter.bootCodeVersion.c_str();
  ImageRecord& record = imageRecordOf(adapter, kind.imageKind);
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
    record.noteDownload(DownloadOutcome::failed, ImageReason::imageMissing, imagePath.c_str());
    run.out.consoleOut("%s", resultLine.c_str());
    if (firmware) run.out.traceOut("%s", resultLine.c_str());
    return DownloadResult::failed;
  }

  if (converged && adapter.downloadStat != kDownloadNone) {
    return reportSharedOutcome(run, adapter, image);
  }

  bool succeeded = false;
  bool notAttempted = false;
  ImageCopyOutcome refusal = ImageCopyOutcome::ready;
  if (run.sw.preview) {
    run.out.traceOut("%s", kind.previewTrace);
    // What the baseline would refuse shows as a failed download.
    passesBaseline(run, adapter, image, kind, previewedDigest(run, imagePath.c_str()),
                   imagePath.c_str(), record);
  } else {
    // Boot code goes to the port's WWN, firmware to the address the tool
    // knows the port by.
    const char* address = firmware ? adapterAddress(adapter) : adapter.wwn.c_str();
    record.downloadStarted = std::time(nullptr);
    succeeded = runDownloadCommand(run, adapter, address, imagePath.c_str(), image, kind, refusal,
                                   record, notAttempted);
    record.downloadEnded = std::time(nullptr);
    if (notAttempted) {
      run.out.errorOut(kNotAttemptedNote, run.programName, firmware ? "firmware" : "boot code",
                       image.actualFileName.c_str(), address);
    }
  }
  const bool refused = record.refusal != ImageRefusal::none;

  formatResultLine(resultLine, adapter, image.decodedId.c_str(), kind.label, installed,
                   image.actualFileName.c_str());
  noteToolOutcome(run, record, succeeded, notAttempted, refusal, imagePath.c_str());
  DownloadResult result = DownloadResult::done;
  if (run.sw.preview && !refused) {
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
    result = DownloadResult::failed;
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

DownloadResult executeDownload(RunState& run, Adapter& adapter, const ImageNode& image,
                               ImageKind kind) {
  return kind == ImageKind::firmware ? executeFwDownload(run, adapter, image)
                                     : executeBootCodeDownload(run, adapter, image);
}

DownloadResult executeFwDownload(RunState& run, Adapter& adapter, const ImageNode& image) {
  return executeKindDownload(run, adapter, image, kFirmwareDownload);
}

DownloadResult executeBootCodeDownload(RunState& run, Adapter& adapter, const ImageNode& image) {
  return executeKindDownload(run, adapter, image, kBootCodeDownload);
}

void updateCNAdownloadStatus(RunState& run, const Adapter& adapter) {
  run.out.traceOut(kUpdateStatusHeading);
  traceAdapterStatus(run, kCurrentAdapterRole, adapter);
  for (auto& other : run.adapterList) {
    if (!isSameAdapter(*other, adapter)) continue;
    other->downloadStat = adapter.downloadStat;
    traceAdapterStatus(run, kUpdatedAdapterRole, *other);
  }
}

}  // namespace vornup
