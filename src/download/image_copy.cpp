#include "download/image_copy.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "core/output.h"
#include "core/run_state.h"
#include "platform/host_names.h"
#include "platform/file_copy.h"

namespace vornup {

namespace {

// What a refused copy says on standard error and in the trace (program
// name, then the file), and the reason the run record keeps.
struct Refusal {
  ImageCopyOutcome outcome;
  const char* note;
  ImageReason reason;
};

// clang-format off
constexpr Refusal kRefusals[] = {
    {ImageCopyOutcome::missing,
     "%s: image %s is gone; it was not downloaded\n",
     ImageReason::imageMissing},
    {ImageCopyOutcome::unreadable,
     "%s: image %s is no longer a readable regular file; it was not downloaded\n",
     ImageReason::imageUnreadable},
    {ImageCopyOutcome::copyFailed,
     "%s: image %s could not be copied into the private directory; it was not downloaded\n",
     ImageReason::imageCopyFailed},
    {ImageCopyOutcome::changed,
     "%s: image %s changed after it was verified; it was not downloaded\n",
     ImageReason::imageChanged},
};
// clang-format on

// The row of `outcome`; null for a copy that is ready.
const Refusal* refusalOf(ImageCopyOutcome outcome) {
  for (const Refusal& refusal : kRefusals) {
    if (refusal.outcome == outcome) return &refusal;
  }
  return nullptr;
}

// Where `path` stands without opening it (a FIFO is never opened).
ImageCopyOutcome sourceState(const char* path) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);
  if (!std::filesystem::exists(status)) return ImageCopyOutcome::missing;
  if (!std::filesystem::is_regular_file(status)) return ImageCopyOutcome::unreadable;
  return ImageCopyOutcome::ready;
}

// The part of `path` after its last folder separator.
const char* fileNameOf(const char* path) {
  const char* name = path;
  for (const char* c = path; *c != '\0'; ++c) {
    if (*c == '/' || *c == kPathSeparator) name = c + 1;
  }
  return name;
}

}  // namespace

ImageCopy::~ImageCopy() { remove(); }

void ImageCopy::remove() {
  if (made_) std::remove(path_.c_str());
  made_ = false;
}

ImageCopyOutcome ImageCopy::make(RunState& run, const char* source, const ImageNode& image,
                                 ImageKind kind) {
  remove();
  const ImageCopyOutcome state = sourceState(source);
  if (state != ImageCopyOutcome::ready) return state;
  ImageFileKind fileKind;
  // A name from fwmatrix.txt may carry folders ("sub/x.all", "/x.all"): the
  // copy takes only the file's own name, so it stays in the private folder.
  const char* name = fileNameOf(image.actualFileName.c_str());
  if (*name == '\0' || run.tempDirectory.empty() || !path_.set(run.tempDirectory.c_str()) || !path_.append(name) ||
      !classifyImageName(name, kind, fileKind)) {
    return ImageCopyOutcome::copyFailed;
  }
  switch (copyRegularFile(source, path_.c_str())) {
    case CopyOutcome::copied:
      break;
    case CopyOutcome::sourceUnusable:
      return sourceState(source) == ImageCopyOutcome::missing ? ImageCopyOutcome::missing
                                                               : ImageCopyOutcome::unreadable;
    case CopyOutcome::readFailed:
      return ImageCopyOutcome::unreadable;
    case CopyOutcome::destinationUnusable:
    case CopyOutcome::writeFailed:
      return ImageCopyOutcome::copyFailed;
  }
  made_ = true;
  // Verified without a trace: the trace shows the verification the decision
  // was made on.
  Output quiet;
  quiet.silent = true;
  quiet.console = nullptr;
  ImageIdText identifier;
  ImageFamily family = ImageFamily::none;
  if (verifyImageFile(quiet, path_.c_str(), identifier, fileKind, family) != 0 ||
      !identifier.equals(image.decodedId.c_str()) || family != image.imageFamily) {
    remove();
    return ImageCopyOutcome::changed;
  }
  return ImageCopyOutcome::ready;
}

ImageReason imageCopyRefusal(ImageCopyOutcome outcome) {
  const Refusal* refusal = refusalOf(outcome);
  return refusal != nullptr ? refusal->reason : ImageReason::none;
}

void reportImageCopyFailure(RunState& run, const char* source, ImageCopyOutcome outcome) {
  const Refusal* refusal = refusalOf(outcome);
  if (refusal == nullptr) return;
  run.out.errorOut(refusal->note, run.programName, source);
  run.out.traceOut(refusal->note, run.programName, source);
}

}  // namespace vornup
