// Verification of image files: one reader per format. Each reader checks a
// file completely before the program lets the tool flash it, and writes the
// image identifier (FC: type code and encoded version; converged: a.b.c.d)
// into the caller's 32-byte result text. Status 0 means a good file.
#pragma once

#include "core/fixed_text.h"
#include "core/image_family.h"
#include "core/output.h"

namespace vornup {

using ImageIdText = FixedText<32>;

// UFI files of both converged generations; a good file sets `family` to kx2
// or kx3.
int verifyUfiFile(Output& out, const char* path, ImageIdText& result, ImageFamily& family);
// GRP files of the Halvard adapter; a good file sets `family` to halvard.
int verifyGrpFile(Output& out, const char* path, ImageIdText& result, ImageFamily& family);
// ALL files (Fibre Channel firmware).
int verifyAllFile(Output& out, const char* path, ImageIdText& result);
// PRG files (Fibre Channel boot code).
int verifyPrgFile(Output& out, const char* path, ImageIdText& result);

}  // namespace vornup
