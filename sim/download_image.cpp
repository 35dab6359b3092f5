#include "sim/download_image.h"

#include "sim/key_value_text.h"

namespace tandrelsim {
namespace {

constexpr char kBootCodeExtension[] = ".prg";

bool endsWithIgnoringCase(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         equalsIgnoringCase(text.substr(text.size() - tail.size()), tail);
}

}  // namespace

DownloadImage describeDownloadImage(const std::string& path, const Port& port) {
  DownloadImage image;
  image.bootCode = endsWithIgnoringCase(path, kBootCodeExtension);
  const std::string* version =
      port.field(image.bootCode ? "download-boot-version" : "download-fw-version");
  if (version != nullptr) image.version = *version;
  return image;
}

}  // namespace tandrelsim
