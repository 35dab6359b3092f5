// The image kind: firmware or boot code. Each kind has its own image
// directory, image list, download and report entries.
#pragma once

namespace vornup {

enum class ImageKind { firmware, bootCode };

}  // namespace vornup
