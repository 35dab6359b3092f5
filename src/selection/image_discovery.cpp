// Telling image files apart by name, verifying them and turning a verified
// file into an image list node; the sorted insertion into an image list.
#include "selection/image_discovery.h"

#include <cstring>
#include <filesystem>
#include <iterator>
#include <system_error>

#include "core/run_state.h"
#include "core/text_compare.h"
#include "core/versions.h"
#include "images/image_status.h"
#include "selection/image_match.h"
#include "tool/command_safety.h"

namespace vornup {

namespace {

constexpr char kInitSkipping[] = "ERROR: [initFileImage] - Skipping invalid file = %s\n";
constexpr char kNotRegularFile[] = "ERROR: [initFileImage] - Not a regular file = %s\n";
constexpr char kNotApplicable[] = "N/A";

bool contains(const char* text, const char* part) { return std::strstr(text, part) != nullptr; }

// The sort key of an FC image: built from the identifier for ALL and PRG
// names; a name that also says UFI gets none.
void setFcSortKey(ImageNode& node) {
  const char* name = node.sortedFileName.c_str();
  if (contains(name, ".UFI")) {
    node.fcSortKey.set(kNotApplicable);
  } else if (contains(name, ".PRG") || contains(name, ".ALL")) {
    buildFcSortKey(node.decodedId.c_str(), node.fcSortKey);
  }
}

// Whether `path` exists but is not a plain file (a directory, FIFO, device or
// socket), which no reader may open: opening a FIFO would wait forever.
bool isPresentButNotRegular(const char* path) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);
  if (error || !std::filesystem::exists(status)) return false;
  return !std::filesystem::is_regular_file(status);
}

}  // namespace

const ImageExtension kImageExtensions[] = {
    {ImageDirectoryKind::kFirmware, ".ALL", ".all", ImageFileKind::kAll},
    {ImageDirectoryKind::kFirmware, ".UFI", ".ufi", ImageFileKind::kUfi},
    {ImageDirectoryKind::kFirmware, ".GRP", ".grp", ImageFileKind::kGrp},
    {ImageDirectoryKind::kBoot, ".PRG", ".prg", ImageFileKind::kPrg},
};
const std::size_t kImageExtensionCount = std::size(kImageExtensions);

void fillImageNode(ImageNode& node, const char* name, const ImageIdText& decodedId,
                   uint32_t imageType) {
  node = ImageNode();
  node.imageType = imageType;
  node.decodedId.set(decodedId.c_str());
  node.actualFileName.set(name);
  node.sortedFileName.set(name);
  for (char* c = node.sortedFileName.data(); *c != '\0'; ++c) *c = asciiUpper(*c);
  if (isFcImage(node)) {
    setFcSortKey(node);
  } else {
    parseConvergedVersion(node.decodedId.c_str(), node.CNAMajorVer, node.CNAMinorVer,
                          node.CNAReleaseVer, node.CNABuildVer);
    node.fcSortKey.set(kNotApplicable);
  }
}

bool classifyImageName(const char* name, ImageDirectoryKind directory, ImageFileKind& kind) {
  for (const ImageExtension& extension : kImageExtensions) {
    if (extension.directory != directory) continue;
    if (contains(name, extension.upper) || contains(name, extension.lower)) {
      kind = extension.kind;
      return true;
    }
  }
  return false;
}

int verifyImageFile(RunState& run, const char* path, ImageIdText& result, ImageFileKind kind,
                    uint32_t& imageType) {
  int verifiedType = 0;
  int status = kUnknownImageFileKind;
  switch (kind) {
    case ImageFileKind::kAll:
      imageType = kImageFc;
      return verifyALL_file(run.out, path, result);
    case ImageFileKind::kPrg:
      imageType = kImageFc;
      return verifyPRG_file(run.out, path, result);
    case ImageFileKind::kGrp:
      imageType = kImageHalvard;
      status = verifyGRP_file(run.out, path, result, verifiedType);
      break;
    case ImageFileKind::kUfi:
      status = verifyUFI_file(run.out, path, result, verifiedType);
      break;
  }
  if (status == 0) imageType = static_cast<uint32_t>(verifiedType);
  return status;
}

void insertImageSorted(ImageList& list, const ImageNode& node) {
  auto place = list.begin();
  for (; place != list.end(); ++place) {
    const bool newIsFc = isFcImage(node);
    const bool listedIsFc = isFcImage(*place);
    if (newIsFc && listedIsFc) {
      if (compareFcSortKeys(node.fcSortKey.c_str(), place->fcSortKey.c_str()) == 1) break;
    } else if (newIsFc) {
      break;
    } else if (!listedIsFc &&
               compareConvergedVersions(versionBlockOf(node), versionBlockOf(*place)) == 1) {
      break;
    }
  }
  list.insert(place, node);
}

int initFileImage(RunState& run, ImageNode& node, const char* directory, const char* name,
                  ImageDirectoryKind kind) {
  ImageFileKind fileKind;
  if (!classifyImageName(name, kind, fileKind) || !isSafeFileName(name)) {
    run.out.traceOut(kInitSkipping, name);
    return 1;
  }
  FixedText<512> path(directory);
  if (!path.append(name)) {
    run.out.traceOut(kInitSkipping, name);
    return 1;
  }
  if (isPresentButNotRegular(path.c_str())) {
    run.out.traceOut(kNotRegularFile, path.c_str());
    return OPEN_FILE_ERROR;
  }
  ImageIdText result;
  uint32_t imageType = 0;
  const int status = verifyImageFile(run, path.c_str(), result, fileKind, imageType);
  if (status != 0) return status;
  fillImageNode(node, name, result, imageType);
  return 0;
}

}  // namespace vornup
