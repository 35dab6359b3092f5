// What a run decided and did for one image kind (firmware or boot code) of one
// port: the record that the run report reads at the end of the run.
//
// The decision steps and the download step fill it as they go; nothing in it
// changes what the run does or prints.
#pragma once

#include <string>

namespace vornup {

struct ImageNode;

// What the decision made of the image kind.
enum class ImageDecision {
  kSkipped,            // the operation does not ask for this kind (or no operation)
  kDownload,           // an image is to be downloaded (update, rewrite, ...)
  kNotRequired,        // an image was found, but the installed version is kept
  kNoCompatibleImage,  // no usable image for the port
};

// What became of a download.
enum class DownloadOutcome {
  kNone,
  kDownloaded,
  kFailed,
  kPreviewed,
  kNotAttempted,  // refused after an interrupt: the tool was never asked
};

struct ImageOutcome {
  ImageDecision decision = ImageDecision::kSkipped;
  // The image decided on; empty file name when there is none.
  std::string file;
  std::string path;
  std::string identifier;
  DownloadOutcome outcome = DownloadOutcome::kNone;
  std::string reason;     // why a download failed
  std::string toolReply;  // the tool's reply to a failed download
  std::string after;      // the version a successful download installed

  // Records a decision on `image` (null: none) found in `directory` (ending
  // with a separator). A download already carried out for this kind stays
  // unless another download follows it: a later candidate that is not
  // needed does not undo it (a downgrade walks on past a failed download).
  void noteDecision(ImageDecision made, const ImageNode* image, const char* directory);
  // Records a download's end; `reason` and `reply` may be null.
  void noteDownload(DownloadOutcome result, const char* why = nullptr,
                    const char* reply = nullptr);
};

// A read of a port (attributes, PCI data, wakeup, boot code switch) that
// gave no reply: the port's record then holds placeholders, so the port is a
// failed port. The first failed read counts.
struct PortReadFailure {
  std::string command;  // the tool command, such as "hbaattrib"; empty: none failed
  std::string reason;

  bool failed() const { return !command.empty(); }
};

}  // namespace vornup
