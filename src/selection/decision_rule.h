// Pieces that both decision modes share: the per-image rule and the record
// of what was decided.
#pragma once

#include "core/image_kind.h"
#include "core/image_node.h"
#include "core/image_record.h"
#include "download/download.h"

namespace vornup {

struct Adapter;
struct RunState;

// The per-image rule: the image is to be downloaded when its kind is forced,
// or when /update, /rewrite or /downgrade is set and the comparison with the
// installed version of that kind (inverted under /downgrade) asks for it.
bool isDownloadWanted(const RunState& run, const Adapter& adapter, const ImageNode& image,
                      ImageKind kind);

// Outcomes of deciding one image (decideForImage, tryBootCodeKind): the
// download step's results, and two of the decision's own.
enum class DecisionResult {
  downloaded,  // downloaded, or previewed
  failed,      // the download failed
  notNeeded,   // the image is not needed: no download
  noImage,     // the list holds no image of the type code
};

// The decision's result of a download's result.
DecisionResult decisionResultOf(DownloadResult result);

// Records what was decided on the image kind `kind` of the adapter: `image`
// (null: none) from that kind's directory.
void noteImageDecision(const RunState& run, Adapter& adapter, ImageKind kind,
                       ImageDecision decision, const ImageNode* image);

// No usable image of the kind `kind`: recorded as such, the query line names
// none, and under /v the printf format `note` follows with the program name
// and `detail`.
void reportNoCompatibleImage(RunState& run, Adapter& adapter, ImageKind kind, const char* note,
                             const char* detail);

// Decides one image of the kind `kind` and downloads it when needed:
// notNeeded, or the download's result.
DecisionResult decideForImage(RunState& run, Adapter& adapter, const ImageNode& image, ImageKind kind);

}  // namespace vornup
