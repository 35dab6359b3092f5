// Which images an adapter can take: the image family predicates, the lookups
// on an image list and the match of one image against one adapter.
#pragma once

#include "core/image_kind.h"
#include "core/image_node.h"

namespace vornup {

struct Adapter;

bool isFcImage(const ImageNode& node);
bool isKxImage(const ImageNode& node);
bool isHalvardImage(const ImageNode& node);
bool isConvergedImage(const ImageNode& node);

// The first image (in list order, so the highest version) whose identifier
// starts with the two-letter `typeCode`, or only with its first letter when
// `firstLetterOnly` is set; list.end() when there is none.
ImageList::const_iterator findImageByTypeCode(const char* typeCode, const ImageList& list,
                                              bool firstLetterOnly);

// The first image of the family `family`; list.end() when there is none.
ImageList::const_iterator findImageByFamily(ImageFamily family, const ImageList& list);

// Whether `node` is an image of the image kind `kind` for the adapter: boot
// code by the boot code type code, converged-family firmware by image family,
// FC firmware by the firmware type code.
bool imageMatchesAdapter(const Adapter& adapter, const ImageNode& node, ImageKind kind);

}  // namespace vornup
