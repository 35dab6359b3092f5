// The file name extensions of the image formats: one table that the image
// directories' listing and the readers' own checks both go by.
#pragma once

#include <cstddef>

#include "core/image_kind.h"

namespace vornup {

// The format of an image file, told by its name alone.
enum class ImageFileKind { all, ufi, grp, prg };

// Which extensions the directory of each image kind takes, in the order they
// are tried: a name holding either spelling of an extension (nothing in mixed
// case) is a file of that format.
struct ImageExtension {
  ImageKind imageKind;
  const char* upper;
  const char* lower;
  ImageFileKind kind;
};

extern const ImageExtension kImageExtensions[];
extern const std::size_t kImageExtensionCount;

// The extension of `kind`.
const ImageExtension& extensionOf(ImageFileKind kind);

// Whether `text` holds either spelling of `extension`, anywhere, byte for byte.
bool holdsExtension(const char* text, const ImageExtension& extension);

}  // namespace vornup
