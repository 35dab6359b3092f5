#include "selection/image_match.h"

#include <cstring>

#include "core/adapter.h"
#include "core/versions.h"

namespace vornup {

namespace {

// Whether two type codes agree in their first `count` letters. The compare
// stops at the end of either text, so a short code is never read past.
bool sameTypeCode(const char* a, const char* b, std::size_t count) {
  return std::strncmp(a, b, count) == 0;
}

}  // namespace

bool isFcImage(const ImageNode& node) { return node.imageFamily == ImageFamily::fc; }

bool isKxImage(const ImageNode& node) {
  return node.imageFamily == ImageFamily::kx2 || node.imageFamily == ImageFamily::kx3;
}

bool isHalvardImage(const ImageNode& node) { return node.imageFamily == ImageFamily::halvard; }

bool isConvergedImage(const ImageNode& node) { return isKxImage(node) || isHalvardImage(node); }

ImageList::const_iterator findImageByTypeCode(const char* typeCode, const ImageList& list,
                                              bool firstLetterOnly) {
  std::size_t count = firstLetterOnly ? 1 : kTypeCodeLength;
  for (auto it = list.begin(); it != list.end(); ++it) {
    if (sameTypeCode(it->decodedId.c_str(), typeCode, count)) return it;
  }
  return list.end();
}

ImageList::const_iterator findImageByFamily(ImageFamily family, const ImageList& list) {
  for (auto it = list.begin(); it != list.end(); ++it) {
    if (it->imageFamily == family) return it;
  }
  return list.end();
}

bool imageMatchesAdapter(const Adapter& adapter, const ImageNode& node, ImageKind kind) {
  if (kind == ImageKind::bootCode)
    return sameTypeCode(node.decodedId.c_str(), adapter.bootCodeType.c_str(), kTypeCodeLength);
  if (isConvergedFamily(adapter)) return node.imageFamily == adapter.imageFamily;
  return sameTypeCode(node.decodedId.c_str(), adapter.fwType.c_str(), kTypeCodeLength);
}

}  // namespace vornup
