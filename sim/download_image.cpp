#include "sim/download_image.h"

#include <cctype>
#include <cstdio>

#include "images/image_verify.h"

namespace tandrelsim {
namespace {

using vornup::ImageIdText;
using vornup::Output;

// One image reader with what its images are.
struct ImageReader {
  int (*verify)(Output& out, const char* path, ImageIdText& result);
  bool fibreChannel;  // identifier "type code + version"; else a.b.c.d
  bool bootCode;
};

int verifyUfi(Output& out, const char* path, ImageIdText& result) {
  vornup::ImageFamily family = vornup::ImageFamily::none;
  return vornup::verifyUfiFile(out, path, result, family);
}

int verifyGrp(Output& out, const char* path, ImageIdText& result) {
  vornup::ImageFamily family = vornup::ImageFamily::none;
  return vornup::verifyGrpFile(out, path, result, family);
}

// PRG files begin with anything but the word every ALL file begins with, so
// at most one of the two accepts a file; UFI and GRP files carry their own
// marks.
const ImageReader kImageReaders[] = {
    {vornup::verifyPrgFile, true, true},
    {vornup::verifyAllFile, true, false},
    {verifyUfi, false, false},
    {verifyGrp, false, false},
};

bool canOpen(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  std::fclose(file);
  return true;
}

}  // namespace

std::string toolVersionText(const std::string& decodedId, bool fibreChannel) {
  if (!fibreChannel) return decodedId;
  std::size_t start = 0;
  while (start < decodedId.size() && std::isalpha(static_cast<unsigned char>(decodedId[start]))) {
    ++start;
  }
  std::string version = decodedId.substr(start);
  if (version.size() > 1) version.insert(1, ".");
  return version;
}

DownloadImage describeDownloadImage(const std::string& path) {
  DownloadImage image;
  if (!canOpen(path)) {
    image.problem = "cannot open the image file " + path;
    return image;
  }
  Output quiet;  // the readers trace only, and there is no trace here
  quiet.silent = true;
  for (const ImageReader& reader : kImageReaders) {
    ImageIdText decodedId;
    if (reader.verify(quiet, path.c_str(), decodedId) != 0) continue;
    image.accepted = true;
    image.bootCode = reader.bootCode;
    image.version = toolVersionText(decodedId.c_str(), reader.fibreChannel);
    return image;
  }
  image.problem = path + " is not a valid Korvane firmware or boot code image";
  return image;
}

}  // namespace tandrelsim
