// The cheap check that UFI and GRP files pass before their headers are read:
// the file name must carry the format's extension, the file must open, and it
// must not exceed the largest image of its chip.
#pragma once

#include <cstdint>

#include "core/output.h"
#include "images/image_extensions.h"

namespace vornup {

struct ImageCheckRules {
  const char* formatName;  // "UFI", "GRP": named in the extension and open lines
  ImageFileKind fileKind;  // its extension is looked for anywhere in the path
  const char* chipName;    // "KX2", "KX3", "Halvard": named in the length line
  uint64_t largestFile;    // in bytes
};

class ImageFile;

// Returns RM_STATUS_OK, RM_STATUS_ERROR_INCOMP_IMAGE (no extension),
// RM_STATUS_ERROR_READING_RESOURCE (cannot open) or
// RM_STATUS_ERROR_LONG_FWIMAGE (too long), tracing the outcome.
int checkImageFile(Output& out, const char* path, const ImageCheckRules& rules);

// The same for `file`, which the caller opened from `path` (or tried to: a
// file that is not open cannot be opened). A reader that checks a file
// against several rules opens it once.
int checkImageFile(Output& out, const char* path, const ImageFile& file,
                   const ImageCheckRules& rules);

}  // namespace vornup
