#include "images/image_extensions.h"

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

const ImageExtension& extensionOf(ImageFileKind kind) {
  for (const ImageExtension& extension : kImageExtensions) {
    if (extension.kind == kind) return extension;
  }
  return kImageExtensions[0];  // not reached: every kind has a row
}

bool holdsExtension(const char* text, const ImageExtension& extension) {
  return containsText(text, extension.upper) || containsText(text, extension.lower);
}

}  // namespace vornup
