// Carrying out a chosen download through the management tool (or only
// pretending to, under /p), judging its outcome from the tool's output and
// recording the result line in the adapter record.
#pragma once

#include "core/image_kind.h"
#include "core/run_state.h"

namespace vornup {

// How a download ended: done when the image was downloaded (or previewed, or
// already downloaded through another function of the same converged
// adapter), failed otherwise. The port's image record says more.
enum class DownloadResult { done, failed };

// Downloads the image of the kind `kind`.
DownloadResult executeDownload(RunState& run, Adapter& adapter, const ImageNode& image,
                               ImageKind kind);
DownloadResult executeFwDownload(RunState& run, Adapter& adapter, const ImageNode& image);
DownloadResult executeBootCodeDownload(RunState& run, Adapter& adapter, const ImageNode& image);

// Copies the adapter's downloadStat to every function of the same physical
// adapter (isSameAdapter).
void updateCNAdownloadStatus(RunState& run, const Adapter& adapter);

}  // namespace vornup
