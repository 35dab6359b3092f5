// Scanning the image directories: every acceptable file of a directory into a
// sorted list, the automatic mode's two directories, and the lists' trace.
#pragma once

#include "selection/image_discovery.h"

namespace vornup {

// Builds the sorted list of the acceptable image files of `directory` (a path
// ending with the separator) into `list`. Accepted are regular files whose
// name has fewer than 32 characters, carries an extension of the image kind
// `kind`, can safely stand on a tool command line, and passes verification.
enum class DirectoryScanOutcome {
  accepted,     // at least one file was accepted
  nothing,      // the directory holds no acceptable file
  noDirectory,  // the directory does not exist (cannot be searched); the list is empty
};
DirectoryScanOutcome discoverImages(RunState& run, const char* directory, ImageKind kind,
                                    ImageList& list);

enum class AutoDiscoveryOutcome { done, firmwareDirectoryMissing, bootDirectoryMissing };

// The automatic-mode step of the driver: builds the firmware list when a
// firmware operation is asked for and the boot code list when a boot code
// operation is. `done` also for an empty list; the firmware directory is
// searched first and a missing one ends the step.
AutoDiscoveryOutcome autoDiscovery(RunState& run);

// Writes the list into the debug trace.
void traceImageList(RunState& run, const ImageList& list);

}  // namespace vornup
