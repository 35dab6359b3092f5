#include "images/image_formats.h"

namespace vornup {

bool classifyImageName(const char* name, ImageKind imageKind, ImageFileKind& fileKind) {
  for (std::size_t i = 0; i < kImageExtensionCount; ++i) {
    const ImageExtension& extension = kImageExtensions[i];
    if (extension.imageKind != imageKind) continue;
    if (holdsExtension(name, extension)) {
      fileKind = extension.kind;
      return true;
    }
  }
  return false;
}

int verifyImageFile(Output& out, const char* path, ImageIdText& result, ImageFileKind kind,
                    ImageFamily& family) {
  ImageFamily verifiedFamily = ImageFamily::none;
  int status = kUnknownImageFileKind;
  switch (kind) {
    case ImageFileKind::all:
      family = ImageFamily::fc;
      return verifyAllFile(out, path, result);
    case ImageFileKind::prg:
      family = ImageFamily::fc;
      return verifyPrgFile(out, path, result);
    case ImageFileKind::grp:
      family = ImageFamily::halvard;
      status = verifyGrpFile(out, path, result, verifiedFamily);
      break;
    case ImageFileKind::ufi:
      status = verifyUfiFile(out, path, result, verifiedFamily);
      break;
  }
  if (status == 0) family = verifiedFamily;
  return status;
}

}  // namespace vornup
