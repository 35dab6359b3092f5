#include "images/image_formats.h"

#include <iterator>

#include "core/text_compare.h"

namespace vornup {

const ImageExtension kImageExtensions[] = {
    {ImageKind::firmware, ".ALL", ".all", ImageFileKind::all},
    {ImageKind::firmware, ".UFI", ".ufi", ImageFileKind::ufi},
    {ImageKind::firmware, ".GRP", ".grp", ImageFileKind::grp},
    {ImageKind::bootCode, ".PRG", ".prg", ImageFileKind::prg},
};
const std::size_t kImageExtensionCount = std::size(kImageExtensions);

bool classifyImageName(const char* name, ImageKind imageKind, ImageFileKind& fileKind) {
  for (const ImageExtension& extension : kImageExtensions) {
    if (extension.imageKind != imageKind) continue;
    if (containsText(name, extension.upper) || containsText(name, extension.lower)) {
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
