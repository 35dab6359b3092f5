// The image list node: one image file with its decoded identifier and version.
#pragma once

#include <cstdint>
#include <list>

#include "core/fixed_text.h"
#include "core/image_family.h"

namespace vornup {

struct ImageNode {
  FixedText<32> sortedFileName;  // file name upper-cased (a-z only)
  FixedText<32> actualFileName;  // file name as found or named
  FixedText<32> decodedId;       // FC: type code + encoded version; converged: a.b.c.d
  FixedText<32> fcSortKey;       // FC: 13-character sort key; otherwise "N/A"
  // The same block, in the same order, as the adapter record's imageFamily and
  // converged numbers.
  ImageFamily imageFamily = ImageFamily::none;
  uint32_t CNAMajorVer = 0;
  uint32_t CNAMinorVer = 0;
  uint32_t CNAReleaseVer = 0;
  uint32_t CNABuildVer = 0;
};

// A list of images, sorted highest version first (std::list keeps every node
// in place while others are inserted before it).
using ImageList = std::list<ImageNode>;

}  // namespace vornup
