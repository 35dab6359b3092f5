// Telling image files apart by name, verifying them and turning a verified
// file into an image list node; the sorted insertion into an image list.
#include "selection/image_discovery.h"

#include <cstring>
#include <filesystem>
#include <system_error>

#include "core/placeholder_text.h"
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

// The sort key of an FC image: built from the identifier for ALL and PRG
// names; a name that also says UFI gets none.
void setFcSortKey(ImageNode& node) {
  const char* name = node.sortedFileName.c_str();
  if (containsText(name, ".UFI")) {
    node.fcSortKey.set(kNotAvailableText);
  } else if (containsText(name, ".PRG") || containsText(name, ".ALL")) {
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

void fillImageNode(ImageNode& node, const char* name, const ImageIdText& decodedId,
                   ImageFamily family) {
  node = ImageNode();
  node.imageFamily = family;
  node.decodedId.set(decodedId.c_str());
  node.actualFileName.set(name);
  node.sortedFileName.set(name);
  node.sortedFileName.upcase();
  if (isFcImage(node)) {
    setFcSortKey(node);
  } else {
    parseConvergedVersion(node.decodedId.c_str(), node.CNAMajorVer, node.CNAMinorVer,
                          node.CNAReleaseVer, node.CNABuildVer);
    node.fcSortKey.set(kNotAvailableText);
  }
}

bool imageGoesBefore(const ImageNode& a, const ImageNode& b) {
  const bool aIsFc = isFcImage(a);
  const bool bIsFc = isFcImage(b);
  if (aIsFc && bIsFc) return isFcSortKeyAbove(a.fcSortKey.c_str(), b.fcSortKey.c_str());
  if (aIsFc || bIsFc) return aIsFc;
  return compareConvergedVersions(versionBlockOf(a), versionBlockOf(b)) == 1;
}

void insertImageSorted(ImageList& list, const ImageNode& node) {
  auto place = list.begin();
  while (place != list.end() && !imageGoesBefore(node, *place)) ++place;
  list.insert(place, node);
}

// Both orders are lexicographic (the FC sort keys on their first 13
// characters, the converged blocks on their five numbers), so a stable sort
// by them puts every node where the one-by-one insertion would. The list's
// own sort is stable and relinks the nodes without moving them.
void sortImageList(ImageList& list) { list.sort(imageGoesBefore); }

ImageCheckResult initFileImage(RunState& run, ImageNode& node, const char* directory,
                               const char* name, ImageKind kind) {
  constexpr ImageCheckResult kNotAnImageName = {ImageCheck::notAnImageName, RM_STATUS_ERROR};
  ImageFileKind fileKind;
  if (!classifyImageName(name, kind, fileKind) || !isSafeFileName(name)) {
    run.out.traceOut(kInitSkipping, name);
    return kNotAnImageName;
  }
  FixedText<512> path(directory);
  if (!path.append(name)) {
    run.out.traceOut(kInitSkipping, name);
    return kNotAnImageName;
  }
  if (isPresentButNotRegular(path.c_str())) {
    run.out.traceOut(kNotRegularFile, path.c_str());
    return imageCheckOf(OPEN_FILE_ERROR);
  }
  ImageIdText result;
  ImageFamily family = ImageFamily::none;
  const ImageCheckResult checked =
      imageCheckOf(verifyImageFile(run.out, path.c_str(), result, fileKind, family));
  if (checked.good()) fillImageNode(node, name, result, family);
  return checked;
}

}  // namespace vornup
