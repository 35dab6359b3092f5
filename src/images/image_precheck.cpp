#include "images/image_precheck.h"

#include "images/image_file.h"
#include "images/image_status.h"

namespace vornup {

namespace {

constexpr char kBadExtension[] =
    "RM_STATUS_ERROR_INCOMP_IMAGE - Invalid %s image extension! Status = %d\n";
constexpr char kCannotOpen[] =
    "RM_STATUS_ERROR_READING_RESOURCE - Unable to open %s image! Status = %d\n";
constexpr char kTooLong[] = "RM_STATUS_ERROR_LONG_FWIMAGE - Invalid %s length! Status = %d\n";
constexpr char kLengthOk[] = "RM_STATUS_OK - Length = %dB, Status = %d\n";

}  // namespace

int checkImageFile(Output& out, const char* path, const ImageCheckRules& rules) {
  ImageFile file;
  file.open(path);
  return checkImageFile(out, path, file, rules);
}

int checkImageFile(Output& out, const char* path, const ImageFile& file,
                   const ImageCheckRules& rules) {
  if (!holdsExtension(path, extensionOf(rules.fileKind))) {
    out.traceOut(kBadExtension, rules.formatName, RM_STATUS_ERROR_INCOMP_IMAGE);
    return RM_STATUS_ERROR_INCOMP_IMAGE;
  }
  if (!file.isOpen()) {
    out.traceOut(kCannotOpen, rules.formatName, RM_STATUS_ERROR_READING_RESOURCE);
    return RM_STATUS_ERROR_READING_RESOURCE;
  }
  // The length is compared as the 64-bit number it is: a file of 4 GiB and a
  // few bytes must not pass as a few bytes.
  if (file.size() > rules.largestFile) {
    out.traceOut(kTooLong, rules.chipName, RM_STATUS_ERROR_LONG_FWIMAGE);
    return RM_STATUS_ERROR_LONG_FWIMAGE;
  }
  out.traceOut(kLengthOk, static_cast<int>(file.size()), RM_STATUS_OK);
  return RM_STATUS_OK;
}

}  // namespace vornup
