// The image formats: which file names the firmware and boot directories take,
// and the reader that checks a file of each format.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/image_family.h"
#include "core/image_kind.h"
#include "core/output.h"
#include "images/image_verify.h"

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

// Status of verifyImageFile for a file kind it has no reader for.
constexpr int kUnknownImageFileKind = 6;

// True when `name` carries an image extension of the image kind's directory
// (case-sensitive, anywhere in the name, ALL before UFI before GRP: ".ALL"/
// ".all", ".UFI"/".ufi", ".GRP"/".grp" for firmware, ".PRG"/".prg" for boot
// code); `fileKind` then tells which.
bool classifyImageName(const char* name, ImageKind imageKind, ImageFileKind& fileKind);

// Runs the reader of `kind` on the file at `path`; the reader writes the image
// identifier into `result`. `family` becomes fc for ALL and PRG, halvard for
// GRP, and kx2 or kx3 (from the file) for UFI. Returns the reader's status
// (0 = good), or kUnknownImageFileKind.
int verifyImageFile(Output& out, const char* path, ImageIdText& result, ImageFileKind kind,
                    ImageFamily& family);

}  // namespace vornup
