// The copy of an image that the tool downloads.
//
// An image is verified when it is chosen, but the file may change before the
// tool reads it (a newer file copied over it, junk, a FIFO). So the chosen
// file is copied into the run's private directory through a fixed buffer,
// the copy is verified again by the image readers, and only a copy that gives
// the identifier and family the decision was made on is handed to the tool.
// The copy keeps the image's file name and is removed when it goes away.
#pragma once

#include "core/fixed_text.h"
#include "core/image_node.h"
#include "core/image_record.h"
#include "images/image_formats.h"

namespace vornup {

struct RunState;

enum class ImageCopyOutcome {
  ready,       // the copy is the verified image
  missing,     // the file is gone
  unreadable,  // no regular file any more (a FIFO, a device), or it cannot be read
  copyFailed,  // the copy could not be made (no private directory, a full disk)
  changed,     // the copy is not the image the decision was made on
};

class ImageCopy {
 public:
  ImageCopy() = default;
  ImageCopy(const ImageCopy&) = delete;
  ImageCopy& operator=(const ImageCopy&) = delete;
  ~ImageCopy();

  // Copies `source`, the file of `image` in the directory of the image kind
  // `kind`, and verifies the copy. Only a file's own name and the private
  // directory make the copy's path.
  ImageCopyOutcome make(RunState& run, const char* source, const ImageNode& image, ImageKind kind);

  // The copy's full path (valid after kReady).
  const char* path() const { return path_.c_str(); }

 private:
  void remove();
  FixedText<512> path_;
  bool made_ = false;
};

// Why a copy was refused, as the run record keeps it (none for a copy that
// is ready).
ImageReason imageCopyRefusal(ImageCopyOutcome outcome);

// Writes why the download of `source` was refused to standard error and to
// the debug trace.
void reportImageCopyFailure(RunState& run, const char* source, ImageCopyOutcome outcome);

}  // namespace vornup
