#include "images/image_formats.h"

#include <cstring>
#include <iterator>

#include "core/image_node.h"

namespace vornup {

namespace {

bool contains(const char* text, const char* part) { return std::strstr(text, part) != nullptr; }

}  // namespace

const ImageExtension kImageExtensions[] = {
    {ImageKind::firmware, ".ALL", ".all", ImageFileKind::kAll},
    {ImageKind::firmware, ".UFI", ".ufi", ImageFileKind::kUfi},
    {ImageKind::firmware, ".GRP", ".grp", ImageFileKind::kGrp},
    {ImageKind::bootCode, ".PRG", ".prg", ImageFileKind::kPrg},
};
const std::size_t kImageExtensionCount = std::size(kImageExtensions);

bool classifyImageName(const char* name, ImageKind imageKind, ImageFileKind& fileKind) {
  for (const ImageExtension& extension : kImageExtensions) {
    if (extension.imageKind != imageKind) continue;
    if (contains(name, extension.upper) || contains(name, extension.lower)) {
      fileKind = extension.kind;
      return true;
    }
  }
  return false;
}

int verifyImageFile(Output& out, const char* path, ImageIdText& result, ImageFileKind kind,
                    uint32_t& imageType) {
  int verifiedType = 0;
  int status = kUnknownImageFileKind;
  switch (kind) {
    case ImageFileKind::kAll:
      imageType = kImageFc;
      return verifyALL_file(out, path, result);
    case ImageFileKind::kPrg:
      imageType = kImageFc;
      return verifyPRG_file(out, path, result);
    case ImageFileKind::kGrp:
      imageType = kImageHalvard;
      status = verifyGRP_file(out, path, result, verifiedType);
      break;
    case ImageFileKind::kUfi:
      status = verifyUFI_file(out, path, result, verifiedType);
      break;
  }
  if (status == 0) imageType = static_cast<uint32_t>(verifiedType);
  return status;
}

}  // namespace vornup
