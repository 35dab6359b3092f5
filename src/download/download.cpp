#include "download/download.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "core/text_compare.h"
#include "report/adapter_lines.h"
#include "tool/attributes.h"
#include "tool/command_safety.h"

namespace vornup {

namespace {

constexpr char kFwDownloadHeading[] = "\n[executeFwDownload]\n";
constexpr char kBiosDownloadHeading[] = "\n[executeBiosDownload]\n";
constexpr char kUpdateStatusHeading[] = "\n[updateCNAdownloadStatus]\n";
constexpr char kFwPreviewTrace[] = "fw downloadCmd = preview\n";
constexpr char kFwCommandTrace[] = "fw downloadCmd = %s %s\n";
constexpr char kBcPreviewTrace[] = "bc downloadCmd = preview\n";
constexpr char kBcCommandTrace[] = "bc downloadCmd = %s %s\n";
constexpr char kSkippingTrace[] = "Skipping adapter...\n";
constexpr char kCurrentHbaTrace[] =
    "currentHba adapterNumber = %d\n"
    "currentHba serialNumber  = %s\n"
    "currentHba busNumber     = %X\n"
    "currentHba downloadStat  = %X\n\n";
constexpr char kUpdatedHbaTrace[] =
    "updatedHba adapterNumber = %d\n"
    "updatedHba serialNumber  = %s\n"
    "updatedHba busNumber     = %X\n"
    "updatedHba downloadStat  = %X\n\n";

// The image is named by the full path of the very file whose presence was
// checked, so the tool flashes that file whatever the current directory is.
constexpr char kDownloadCommand[] = "download %s \"%s\"";

constexpr char kFirmwareLabel[] = "Firmware";
constexpr char kBootCodeLabel[] = "Boot Code";
constexpr char kFirmwareMissing[] = "Error: Firmware file not found!\n";
constexpr char kBootCodeMissing[] = "Error: Boot code file not found!\n";
constexpr char kStatusSuccess[] = "Success";
constexpr char kStatusError[] = "Error";
constexpr char kStatusPreview[] = "Preview";

constexpr char kSucceededMarker[] = "Complete";
constexpr char kRebootMarker[] = "reboot";

// Reasons of failed downloads in the run report.
constexpr char kImageMissingReason[] = "the image file was not found: ";
constexpr char kToolFailedReason[] = "the tool did not report a completed download";
constexpr char kSharedFailedReason[] =
    "the download through another function of the same adapter failed";

constexpr int kResultDownloaded = 0;
constexpr int kResultFailed = 1;

bool fileIsPresent(const char* path) {
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return false;
  std::fclose(file);
  return true;
}

bool toolReported(const RunState& run, const char* word) {
  return std::strstr(run.toolOutput.c_str(), word) != nullptr;
}

void traceAdapterStatus(RunState& run, const char* format, const Adapter& adapter) {
  run.out.traceOut(format, static_cast<int>(adapter.adapterNumber), adapter.serialNumber.c_str(),
                   adapter.bus, static_cast<unsigned>(adapter.downloadStat));
}

// Runs the download of the image at `imagePath` for `address`; the result is
// judged by the tool's output alone.
bool runDownloadCommand(RunState& run, const char* address, const char* imagePath,
                        const char* traceFormat) {
  FixedText<512> shown;
  shown.format(kDownloadCommand, address, imagePath);
  run.out.traceOut(traceFormat, run.toolFileName, shown.c_str());
  executeForAddress(run, kDownloadCommand, address, imagePath);
  return toolReported(run, kSucceededMarker);
}

void noteImageMissing(ImageOutcome& outcome, const char* imagePath) {
  outcome.noteDownload(DownloadOutcome::kFailed, (kImageMissingReason + std::string(imagePath)).c_str());
}

// The run report's record of a download the tool was asked for (or, under
// /p, only shown): the tool's reply names a failure.
void noteToolOutcome(const RunState& run, ImageOutcome& outcome, bool succeeded) {
  if (run.sw.preview) {
    outcome.noteDownload(DownloadOutcome::kPreviewed);
  } else if (succeeded) {
    outcome.noteDownload(DownloadOutcome::kDownloaded);
  } else {
    outcome.noteDownload(DownloadOutcome::kFailed, kToolFailedReason, run.toolOutput.c_str());
  }
}

// A converged function whose adapter was already downloaded through another
// function: report the shared outcome without running the tool again.
int reportSharedOutcome(RunState& run, Adapter& adapter, const ImageNode& image) {
  Counters& c = run.counters;
  --c.cnaFwDownloadCount;
  formatResultLine(adapter.fwResultLine, adapter, image.decodedId.c_str(), kFirmwareLabel,
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
  traceAdapterStatus(run, kCurrentHbaTrace, adapter);
  return result;
}

}  // namespace

int executeDownload(RunState& run, Adapter& adapter, const ImageNode& image, int kind) {
  return kind == kDownloadFirmware ? executeFwDownload(run, adapter, image)
                                   : executeBiosDownload(run, adapter, image);
}

int executeFwDownload(RunState& run, Adapter& adapter, const ImageNode& image) {
  Counters& c = run.counters;
  const bool converged = isConvergedFamily(adapter);
  ++c.downloadCount;
  run.out.traceOut(kFwDownloadHeading);
  if (converged) ++c.cnaFwDownloadCount;
  adapter.fwAttempted = 1;

  FixedText<512> imagePath(run.firmwareDirectory.c_str());
  const bool pathFits = imagePath.append(image.actualFileName.c_str());
  if (!pathFits || !fileIsPresent(imagePath.c_str())) {
    formatResultLine(adapter.fwResultLine, adapter, image.decodedId.c_str(), kFirmwareLabel,
                     adapter.fwVersion.c_str(), image.actualFileName.c_str());
    ++c.downloadErrorCount;
    if (converged) {
      adapter.downloadStat = kDownloadFailed;
      ++c.cnaFwErrorCount;
    }
    adapter.fwResultLine.append(kFirmwareMissing);
    noteImageMissing(adapter.firmwareOutcome, imagePath.c_str());
    run.out.consoleOut("%s", adapter.fwResultLine.c_str());
    run.out.traceOut("%s", adapter.fwResultLine.c_str());
    return kResultFailed;
  }

  if (converged && adapter.downloadStat != kDownloadNone) {
    return reportSharedOutcome(run, adapter, image);
  }

  const char* address = isNicFunction(adapter) || isIscsiFunction(adapter) ? adapter.mac.c_str()
                                                                           : adapter.wwn.c_str();
  bool succeeded = false;
  if (run.sw.preview) {
    run.out.traceOut(kFwPreviewTrace);
  } else {
    succeeded = runDownloadCommand(run, address, imagePath.c_str(), kFwCommandTrace);
  }

  formatResultLine(adapter.fwResultLine, adapter, image.decodedId.c_str(), kFirmwareLabel,
                   adapter.fwVersion.c_str(), image.actualFileName.c_str());
  int result = kResultDownloaded;
  noteToolOutcome(run, adapter.firmwareOutcome, succeeded);
  if (run.sw.preview) {
    adapter.downloadStat = kDownloadSucceeded;
    adapter.fwResultLine.append(kStatusPreview);
  } else if (succeeded) {
    if (converged) {
      adapter.downloadStat = kDownloadSucceeded;
      if (!toolReported(run, kRebootMarker)) ++c.cnaNoRebootCount;
    }
    adapter.fwResultLine.append(kStatusSuccess);
  } else {
    if (converged) {
      adapter.downloadStat = kDownloadFailed;
      ++c.cnaFwErrorCount;
    }
    ++c.downloadErrorCount;
    adapter.fwResultLine.append(kStatusError);
    result = kResultFailed;
  }
  if (converged) updateCNAdownloadStatus(run, adapter);
  adapter.fwResultLine.append("\n");
  run.out.consoleOut("%s", adapter.fwResultLine.c_str());
  return result;
}

int executeBiosDownload(RunState& run, Adapter& adapter, const ImageNode& image) {
  Counters& c = run.counters;
  ++c.downloadCount;
  adapter.bootAttempted = 1;
  run.out.traceOut(kBiosDownloadHeading);

  FixedText<512> imagePath(run.bootDirectory.c_str());
  const bool pathFits = imagePath.append(image.actualFileName.c_str());
  if (!pathFits || !fileIsPresent(imagePath.c_str())) {
    formatResultLine(adapter.bootResultLine, adapter, image.decodedId.c_str(), kBootCodeLabel,
                     adapter.bcVersion.c_str(), image.actualFileName.c_str());
    ++c.downloadErrorCount;
    adapter.bootResultLine.append(kBootCodeMissing);
    noteImageMissing(adapter.bootCodeOutcome, imagePath.c_str());
    run.out.consoleOut("%s", adapter.bootResultLine.c_str());
    return kResultFailed;
  }

  bool succeeded = false;
  if (run.sw.preview) {
    run.out.traceOut(kBcPreviewTrace);
  } else {
    succeeded = runDownloadCommand(run, adapter.wwn.c_str(), imagePath.c_str(), kBcCommandTrace);
  }

  formatResultLine(adapter.bootResultLine, adapter, image.decodedId.c_str(), kBootCodeLabel,
                   adapter.bcVersion.c_str(), image.actualFileName.c_str());
  noteToolOutcome(run, adapter.bootCodeOutcome, succeeded);
  int result = kResultDownloaded;
  if (run.sw.preview) {
    adapter.bootResultLine.append(kStatusPreview);
  } else if (succeeded) {
    adapter.bootResultLine.append(kStatusSuccess);
  } else {
    ++c.downloadErrorCount;
    adapter.bootResultLine.append(kStatusError);
    result = kResultFailed;
  }
  adapter.bootResultLine.append("\n");
  run.out.consoleOut("%s", adapter.bootResultLine.c_str());

  // Boot code that was found disabled was enabled only to read it; disable it
  // again, in preview runs too.
  if (adapter.bootEnabled == 0) setBootCodeBack(run, adapter.wwn.c_str());
  return result;
}

void updateCNAdownloadStatus(RunState& run, const Adapter& adapter) {
  run.out.traceOut(kUpdateStatusHeading);
  traceAdapterStatus(run, kCurrentHbaTrace, adapter);
  for (auto& other : run.adapterList) {
    if (!equalsIgnoringCase(other->serialNumber.c_str(), adapter.serialNumber.c_str()) ||
        other->bus != adapter.bus) {
      continue;
    }
    other->downloadStat = adapter.downloadStat;
    traceAdapterStatus(run, kUpdatedHbaTrace, *other);
  }
}

}  // namespace vornup
