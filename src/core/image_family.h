// The image family: which kind of image file a node holds, and which images a
// converged-family adapter takes. The image list node and the adapter record
// both hold one (their `imageFamily`), and the two compare as equals.
#pragma once

#include <cstdint>

namespace vornup {

// The numbers are those the traces print and the version comparison orders by.
enum class ImageFamily : uint32_t {
  // A node not yet verified; an adapter that takes no image by family (a
  // Fibre Channel adapter, whose images go by type code, or a converged
  // function of an unknown device ID).
  none = 0,
  fc = 1,       // ALL and PRG files
  kx2 = 2,      // first-generation converged adapters and their UFI files
  kx3 = 3,      // second-generation converged adapters and their UFI files
  halvard = 4,  // the Halvard Fibre Channel adapter and its GRP files
};

}  // namespace vornup
