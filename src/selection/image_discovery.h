// Image discovery: the image files of the firmware and boot directories, each
// verified and decoded, kept in lists sorted highest version first so that the
// update decision finds the best image of a type as the first one of it. The
// same classification, verification and node filling load the single file that
// a fwmatrix.txt line names.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/image_node.h"
#include "images/image_formats.h"
#include "images/image_status.h"

namespace vornup {

struct RunState;

// Fills `node` from the verified file `name`: its identifier and family, the
// upper-cased name, and the FC sort key or the four converged numbers. Texts
// longer than the node's fields are cut to 31 characters.
void fillImageNode(ImageNode& node, const char* name, const ImageIdText& decodedId,
                   ImageFamily family);

// The order of an image list: FC images first by descending sort key, then
// converged images by descending family and version. True when `a` goes
// strictly before `b`.
bool imageGoesBefore(const ImageNode& a, const ImageNode& b);

// Inserts `node` into a sorted list; a node equal to one already listed goes
// after it.
void insertImageSorted(ImageList& list, const ImageNode& node);

// Puts `list` in the order that inserting its nodes one after the other with
// insertImageSorted gives (equal nodes keep their order).
void sortImageList(ImageList& list);

// Loads the file `name` of `directory` into `node` for fwmatrix mode:
// notAnImageName (status 1) when the name has no extension of the kind's
// directory or cannot safely stand on a tool command line, unopenable
// (OPEN_FILE_ERROR) when the path names something other than a regular file,
// otherwise what the reader's status stands for (only a good image fills the
// node).
ImageCheckResult initFileImage(RunState& run, ImageNode& node, const char* directory,
                               const char* name, ImageKind kind);

}  // namespace vornup
