// Scanning the image directories: every acceptable file of a directory into a
// sorted list, the automatic mode's two directories, and the lists' trace.
#pragma once

#include "selection/image_discovery.h"

namespace vornup {

// Builds the sorted list of the acceptable image files of `directory` (a path
// ending with the separator) into `list`. Accepted are regular files whose
// name has fewer than 32 characters, carries an extension of the directory
// kind, can safely stand on a tool command line, and passes verification.
// Returns kDiscoveryAccepted, kDiscoveryNothing, or kDiscoveryNoDirectory
// (with an empty list).
int discoverImages(RunState& run, const char* directory, ImageDirectoryKind kind, ImageList& list);

// The automatic-mode step of the driver: builds the firmware list when a
// firmware operation is asked for and the boot code list when a boot code
// operation is. Returns kAutoDiscoveryDone (an empty list is no error), or
// kAutoDiscoveryDirectoryMissing with `missing` naming the directory that does
// not exist; the firmware directory is searched first and a missing one ends
// the step.
int autoDiscovery(RunState& run, ImageDirectoryKind& missing);

// Writes the list into the debug trace.
void traceImageList(RunState& run, const ImageList& list);

}  // namespace vornup
