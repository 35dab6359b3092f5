// Pieces that both decision modes share: the per-image rule and what each
// image kind is called in the reports.
#pragma once

#include "selection/image_node.h"

namespace vornup {

struct Adapter;
struct RunState;

// The per-image rule: the image is to be downloaded when its kind is forced,
// or when /update, /rewrite or /downgrade is set and the comparison with the
// installed version of that kind (inverted under /downgrade) asks for it.
// `kind` is kDownloadFirmware or kDownloadBootCode.
bool isDownloadWanted(const RunState& run, const Adapter& adapter, const ImageNode& image,
                      int kind);

// How the reports name an image kind.
struct ImageKindReport {
  int queryKind;         // query line right before a download or a note
  int noImageQueryKind;  // query line when there is no image
  const char* text;      // "firmware" or "boot code"
};

const ImageKindReport& reportOf(int kind);

// The text standing for "no image" in a query line.
constexpr char kNoImageText[] = "NONE";

}  // namespace vornup
