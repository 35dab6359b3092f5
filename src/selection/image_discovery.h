// Image discovery: the image files of the firmware and boot directories, each
// verified and decoded, kept in lists sorted highest version first so that the
// update decision finds the best image of a type as the first one of it. The
// same classification, verification and node filling load the single file that
// a fwmatrix.txt line names.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/image_node.h"
#include "images/image_verify.h"

namespace vornup {

struct RunState;

// Which directory a file comes from, and so which extensions it may carry.
enum class ImageDirectoryKind { kFirmware, kBoot };

// The format of an image file, told by its name alone.
enum class ImageFileKind { kAll, kUfi, kGrp, kPrg };

// Which extensions each directory takes, in the order they are tried: a name
// holding either spelling of an extension (nothing in mixed case) is a file
// of that kind.
struct ImageExtension {
  ImageDirectoryKind directory;
  const char* upper;
  const char* lower;
  ImageFileKind kind;
};

extern const ImageExtension kImageExtensions[];
extern const std::size_t kImageExtensionCount;

// Results of discoverImages.
enum : int {
  kDiscoveryAccepted = 0,     // at least one file was accepted
  kDiscoveryNothing = 1,      // the directory holds no acceptable file
  kDiscoveryNoDirectory = 6,  // the directory does not exist (cannot be searched)
};

// Status of verifyImageFile for a file kind it has no reader for.
constexpr int kUnknownImageFileKind = 6;

// True when `name` carries an image extension of the directory kind
// (case-sensitive, anywhere in the name, ALL before UFI before GRP: ".ALL"/
// ".all", ".UFI"/".ufi", ".GRP"/".grp" for firmware, ".PRG"/".prg" for boot
// code); `kind` then tells which.
bool classifyImageName(const char* name, ImageDirectoryKind directory, ImageFileKind& kind);

// Runs the reader of `kind` on the file at `path`; the reader writes the image
// identifier into `result`. `imageType` becomes 1 for ALL and PRG, 4 for GRP,
// and 2 or 3 (from the file) for UFI. Returns the reader's status (0 = good),
// or kUnknownImageFileKind.
int verifyImageFile(RunState& run, const char* path, ImageIdText& result, ImageFileKind kind,
                    uint32_t& imageType);

// Fills `node` from the verified file `name`: its identifier and family, the
// upper-cased name, and the FC sort key or the four converged numbers. Texts
// longer than the node's fields are cut to 31 characters.
void fillImageNode(ImageNode& node, const char* name, const ImageIdText& decodedId,
                   uint32_t imageType);

// Inserts `node` into a sorted list: FC images first by descending sort key,
// then converged images by descending family and version; a node equal to one
// already listed goes after it.
void insertImageSorted(ImageList& list, const ImageNode& node);

// Loads the file `name` of `directory` into `node` for fwmatrix mode. Returns
// 1 when the name has no extension of the directory kind or cannot safely
// stand on a tool command line, OPEN_FILE_ERROR when the path names something
// other than a regular file, otherwise the verifier's status (0 = good; only
// then is the node filled).
int initFileImage(RunState& run, ImageNode& node, const char* directory, const char* name,
                  ImageDirectoryKind kind);

}  // namespace vornup
