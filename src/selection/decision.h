// The update decision: for one adapter, which firmware and boot code images
// apply, whether the operation the switches ask for (update, rewrite,
// downgrade, forced download) needs them, and then the download or the note
// that nothing was required.
#pragma once

#include "selection/image_node.h"

namespace vornup {

struct Adapter;
struct RunState;

// Outcomes of deciding one image (decideForImage, tryBootCodeKind): the
// download step's results, and two of the decision's own.
enum : int {
  kDecisionDownloaded = 0,  // downloaded, or previewed
  kDecisionFailed = 1,      // the download failed
  kDecisionNotNeeded = 2,   // the image is not needed: no download
  kDecisionNoImage = 3,     // the list holds no image of the type code
};

// Images named by fwmatrix.txt: the adapter's line gives the firmware and boot
// code files, each loaded, checked and decided on its own. A file that is
// missing, unusable or (for a gated adapter) below the fpga version counts as
// a failed download.
void decideFwmatrixUpdate(RunState& run, Adapter& adapter);

// Images from the discovered lists (automatic mode): the highest image of the
// adapter's type for an update, rewrite or forced download; under /downgrade
// the next lower one that is older than the installed version.
void decideAutoUpdate(RunState& run, Adapter& adapter);

// Decides one image of the kind `kind` (kDownloadFirmware or
// kDownloadBootCode) and downloads it when needed: kDecisionNotNeeded, or the
// download's result.
int decideForImage(RunState& run, Adapter& adapter, const ImageNode& image, int kind);

// Tries the boot code kinds universal, pair, open, EFI and x86 in this order
// and decides the highest image of the first kind that has one and needs it;
// the outcome of the last kind tried.
int updateBootCodeByKind(RunState& run, Adapter& adapter);

// Decides the highest boot code image of the two-letter type code `typeCode`:
// kDecisionNoImage when the boot code list has none, else decideForImage's
// outcome.
int tryBootCodeKind(RunState& run, const char* typeCode, Adapter& adapter);

}  // namespace vornup
