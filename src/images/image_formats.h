// The image formats: which file names the firmware and boot directories take,
// and the reader that checks a file of each format.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/image_family.h"
#include "core/image_kind.h"
#include "core/output.h"
#include "images/image_extensions.h"
#include "images/image_verify.h"

namespace vornup {

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
