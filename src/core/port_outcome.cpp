#include "core/port_outcome.h"

#include "core/image_node.h"

namespace vornup {

void ImageOutcome::noteDecision(ImageDecision made, const ImageNode* image,
                                const char* directory) {
  if (outcome != DownloadOutcome::kNone && made != ImageDecision::kDownload) return;
  decision = made;
  outcome = DownloadOutcome::kNone;
  reason.clear();
  toolReply.clear();
  after.clear();
  sha256.clear();
  refusal = ImageRefusal::none;
  file.clear();
  path.clear();
  identifier.clear();
  if (image == nullptr) return;
  file = image->actualFileName.c_str();
  path = std::string(directory != nullptr ? directory : "") + file;
  identifier = image->decodedId.c_str();
}

void ImageOutcome::noteDownload(DownloadOutcome result, const char* why, const char* reply) {
  outcome = result;
  reason = why != nullptr ? why : "";
  toolReply = reply != nullptr ? reply : "";
  after.clear();
  if (result == DownloadOutcome::kDownloaded) after = identifier;
}

}  // namespace vornup
