// What a run decided and did for one image kind (firmware or boot code) of
// one port: part of the run record (core/run_record.h).
//
// The decision steps and the download step note it as they go; nothing in it
// changes what the run does or prints. Every rendering of the run (the run
// report among them) reads it; none reads console or message text back.
#pragma once

#include <ctime>
#include <string>

#include "core/baseline_rule.h"

namespace vornup {

struct ImageNode;

// What the decision made of the image kind.
enum class ImageDecision {
  skipped,            // the operation does not ask for this kind (or no operation)
  download,           // an image is to be downloaded (update, rewrite, ...)
  notRequired,        // an image was found, but the installed version is kept
  noCompatibleImage,  // no usable image for the port
};

// What became of a download.
enum class DownloadOutcome {
  none,
  downloaded,
  failed,
  previewed,
  notAttempted,  // refused after an interrupt: the tool was never asked
};

// Why a download failed, or why no image could be decided on. The detail
// text beside it names the file or holds the message the run printed.
enum class ImageReason {
  none,
  // No usable image (fwmatrix.txt mode; detail: the message without the
  // program name).
  noImageEntry,
  invalidImageEntry,
  imageReadError,
  imageUnopenable,
  invalidImage,
  incompatibleFirmware,
  // The download (detail: the image's path where one is named).
  imageMissing,          // the image file was not found
  imageUnreadable,       // no longer a readable regular file
  imageCopyFailed,       // the private copy could not be made
  imageChanged,          // the image changed after it was verified
  toolFailed,            // the tool did not report a completed download
  sharedDownloadFailed,  // the download through another function of the adapter failed
  interrupted,           // not attempted: the run was interrupted first
  baselineRefused,       // the baseline refuses the image (detail: the refusal in words)
};

struct ImageRecord {
  ImageDecision decision = ImageDecision::skipped;
  // The image decided on; empty file name when there is none.
  std::string file;
  std::string path;
  std::string identifier;
  // SHA-256 of the bytes handed to the tool (or, under /p, of the file),
  // 64 lower-case hex digits; empty when none were.
  std::string sha256;
  ImageRefusal refusal = ImageRefusal::none;  // why the baseline refused it
  DownloadOutcome outcome = DownloadOutcome::none;
  ImageReason reason = ImageReason::none;
  std::string reasonDetail;
  std::string toolReply;  // the tool's reply to a failed download
  std::string after;      // the version a successful download installed
  // When the download of this kind began and ended (0: none).
  std::time_t downloadStarted = 0;
  std::time_t downloadEnded = 0;

  // Records a decision on `image` (null: none) found in `directory` (ending
  // with a separator). A download already carried out for this kind stays
  // unless another download follows it: a later candidate that is not
  // needed does not undo it (a downgrade walks on past a failed download).
  void noteDecision(ImageDecision made, const ImageNode* image, const char* directory);
  // Records a download's end; `detail` and `reply` may be null.
  void noteDownload(DownloadOutcome result, ImageReason why = ImageReason::none,
                    const char* detail = nullptr, const char* reply = nullptr);
  // The reason in words, its detail after them; "" without a reason.
  std::string reasonText() const;
};

// The words of a reason, as the run report states it before the detail
// ("the image file was not found: "); "" for reasons whose detail says all.
const char* imageReasonText(ImageReason reason);

}  // namespace vornup
