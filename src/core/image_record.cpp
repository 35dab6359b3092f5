#include "core/image_record.h"

#include "core/image_node.h"

namespace vornup {

namespace {

struct ReasonText {
  ImageReason reason;
  const char* text;
};

// clang-format off
constexpr ReasonText kReasonTexts[] = {
    {ImageReason::imageMissing,         "the image file was not found: "},
    {ImageReason::imageUnreadable,      "the image file is no longer a readable regular file: "},
    {ImageReason::imageCopyFailed,      "the image could not be copied into the private directory: "},
    {ImageReason::imageChanged,         "the image changed after it was verified: "},
    {ImageReason::toolFailed,           "the tool did not report a completed download"},
    {ImageReason::sharedDownloadFailed,
     "the download through another function of the same adapter failed"},
    {ImageReason::interrupted,          "not attempted: the run was interrupted"},
};
// clang-format on

}  // namespace

const char* imageReasonText(ImageReason reason) {
  for (const ReasonText& entry : kReasonTexts) {
    if (entry.reason == reason) return entry.text;
  }
  return "";
}

void ImageRecord::noteDecision(ImageDecision made, const ImageNode* image, const char* directory) {
  if (outcome != DownloadOutcome::none && made != ImageDecision::download) return;
  decision = made;
  outcome = DownloadOutcome::none;
  reason = ImageReason::none;
  reasonDetail.clear();
  toolReply.clear();
  after.clear();
  file.clear();
  path.clear();
  identifier.clear();
  sha256.clear();
  refusal = ImageRefusal::none;
  downloadStarted = 0;
  downloadEnded = 0;
  if (image == nullptr) return;
  file = image->actualFileName.c_str();
  path = std::string(directory != nullptr ? directory : "") + file;
  identifier = image->decodedId.c_str();
}

void ImageRecord::noteDownload(DownloadOutcome result, ImageReason why, const char* detail,
                               const char* reply) {
  outcome = result;
  reason = why;
  reasonDetail = detail != nullptr ? detail : "";
  toolReply = reply != nullptr ? reply : "";
  after.clear();
  if (result == DownloadOutcome::downloaded) after = identifier;
}

std::string ImageRecord::reasonText() const {
  return std::string(imageReasonText(reason)) + reasonDetail;
}

}  // namespace vornup
