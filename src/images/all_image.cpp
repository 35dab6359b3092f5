#include "images/all_image.h"

#include <cstring>

#include "images/all_checksum.h"
#include "images/byte_reader.h"
#include "images/fc_image.h"
#include "images/image_file.h"
#include "images/image_id_tables.h"
#include "images/image_status.h"

namespace vornup {

namespace {

constexpr char kVerifyAllHeading[] = "\n[verifyALL_file]\n";
constexpr char kReadingAllHeader[] = "Reading ALL Header...\n";
constexpr char kNotNopImage[] =
    "INCOMPAT_IMAGE_ERROR - image_type != NOP_IMAGE_TYPE, Status = %X\n";
constexpr char kHeaderReadFailed[] = "INVALID_IMAGE_ERROR | ERROR_READING_FILE - Status = %X\n";
constexpr char kSubImageNotNop[] =
    "INVALID_IMAGE_ERROR | ERROR_READING_FILE - Aif_header.compress_br != NOP_IMAGE_TYPE, "
    "Status = %X\n";
constexpr char kSeekFailed[] =
    "INVALID_IMAGE_ERROR | ERROR_READING_FILE - fseek accuFileSize failed - Status = %X\n";
constexpr char kBadChecksum[] = "BAD_CHECKSUM_ERROR - Checksum = %08lX, Status = %X\n";

constexpr char kDwcImageId[] = "DWC ImageID   = %X\n";
constexpr char kDwcImageType[] = "DWC ImageType = %X\n";
constexpr char kUnknownImageType[] =
    "INVALID_IMAGE_ERROR | ERROR_READING_FILE - Unknown ImageType = %X, Status = %X\n";
constexpr char kBwcBanner[] = "\n###### BWC IMAGE ######\n";
constexpr char kBwcImageId[] = "BWC ImageID   = %X\n";
constexpr char kBwcImageType[] = "BWC ImageType = %X\n\n";
constexpr char kFwcBanner[] = "\n###### FWC IMAGE ######\n";
constexpr char kFwcImageId[] = "FWC ImageID   = %X\n";
constexpr char kFwcImageType[] = "FWC ImageType = %X\n";
constexpr char kEncodedType[] = "Encoded Type  = %s\n";
constexpr char kEncodedVer[] = "Encoded Ver   = %s\n";

constexpr uint32_t kDwcImageType7 = 7;
constexpr uint32_t kDwcImageType11 = 11;

// Bytes each sub-image takes: its header and body, plus the 4 skipped bytes
// of a file that is not an AIF name.
constexpr uint32_t kSubImageOverheadAif = 128;
constexpr uint32_t kSubImageOverheadAll = 132;
// The running offset is a 32-bit count in this format.
constexpr uint64_t kLargestAccuFileSize = 0xFFFFFFFF;

void traceEncodedVersion(Output& out, uint32_t idWord, ImageIdText& result) {
  out.traceOut(kEncodedType, result.c_str());
  const EncodedVersionText version = writeEncodedVersion(out, idWord, result);
  out.traceOut(kEncodedVer, version.c_str());
}

int verifyDwcSubImage(Output& out, uint32_t idWord, ImageIdText& result) {
  uint32_t imageFamily = imageTypeOf(idWord);
  out.traceOut(kDwcImageId, imageIdOf(idWord));
  out.traceOut(kDwcImageType, imageFamily);
  bool listed;
  if (imageFamily == kDwcImageType7) {
    listed = lookupDwcType7Code(out, imageIdOf(idWord), result);
  } else if (imageFamily == kDwcImageType11) {
    listed = lookupDwcType11Code(out, imageIdOf(idWord), result);
  } else {
    out.traceOut(kUnknownImageType, imageFamily, statusBits(INVALID_IMAGE_READ_ERROR));
    return INVALID_IMAGE_READ_ERROR;
  }
  if (!listed) return INVALID_IMAGE_READ_ERROR;
  traceEncodedVersion(out, idWord, result);
  return 0;
}

enum class HeaderRead { complete, endOfFile, failed };

// Reads the header in one piece; its words are big-endian.
HeaderRead readAifHeader(ImageFile& file, AifHeader& header) {
  uint8_t bytes[AifHeader::kBytes];
  if (file.read(bytes, sizeof bytes) != sizeof bytes) {
    return file.atEnd() ? HeaderRead::endOfFile : HeaderRead::failed;
  }
  const ByteReader reader(bytes, sizeof bytes);
  for (std::size_t i = 0; i < AifHeader::kBytes / 4; ++i) header.word[i] = reader.be32(4 * i);
  return HeaderRead::complete;
}

// Walks the sub-images from offset 0 and leaves their total length in
// `accuFileSize`; returns 0 or the verifier's status.
int walkSubImages(Output& out, ImageFile& file, bool aifName, uint64_t& accuFileSize,
                  ImageIdText& result) {
  const uint32_t overhead = aifName ? kSubImageOverheadAif : kSubImageOverheadAll;
  accuFileSize = 0;
  for (;;) {
    AifHeader header;
    HeaderRead read = readAifHeader(file, header);
    if (read == HeaderRead::endOfFile) return 0;  // a partial last header is dropped
    if (read == HeaderRead::failed) {
      out.traceOut(kHeaderReadFailed, statusBits(INVALID_IMAGE_READ_ERROR));
      return INVALID_IMAGE_READ_ERROR;
    }
    if (header.compressBr() != NOP_IMAGE_TYPE) {
      out.traceOut(kSubImageNotNop, statusBits(INVALID_IMAGE_READ_ERROR));
      return INVALID_IMAGE_READ_ERROR;
    }
    accuFileSize += static_cast<uint64_t>(header.bodySize()) + overhead;
    if (verifyAllSubImage(out, header, result) != 0) return INCOMPAT_IMAGE_ERROR;
    // A body size that wraps the 32-bit running offset would send the walk
    // back to a header already read, and round for ever.
    if (accuFileSize > kLargestAccuFileSize) {
      out.traceOut(kHeaderReadFailed, statusBits(INVALID_IMAGE_READ_ERROR));
      return INVALID_IMAGE_READ_ERROR;
    }
    if (!file.seek(accuFileSize)) {
      out.traceOut(kSeekFailed, statusBits(INVALID_IMAGE_READ_ERROR));
      return INVALID_IMAGE_READ_ERROR;
    }
  }
}

}  // namespace

int verifyAllSubImage(Output& out, const AifHeader& header, ImageIdText& result) {
  const uint32_t idWord = header.imageIdWord();
  switch (header.kind()) {
    case kAifKindAwc:
      return 0;
    case kAifKindDwc:
      return verifyDwcSubImage(out, idWord, result);
    case kAifKindBwc:
      out.traceOut(kBwcBanner);
      out.traceOut(kBwcImageId, imageIdOf(idWord));
      out.traceOut(kBwcImageType, imageTypeOf(idWord));
      return 0;
    case kAifKindFwc:
      out.traceOut(kFwcBanner);
      out.traceOut(kFwcImageId, imageIdOf(idWord));
      out.traceOut(kFwcImageType, imageTypeOf(idWord));
      traceEncodedVersion(out, idWord, result);
      return 0;
    default:
      return INVALID_IMAGE_READ_ERROR;
  }
}

bool isAifFileName(const char* path) {
  const char* dot = std::strchr(path, '.');
  if (dot == nullptr) return false;
  return std::strcmp(dot + 1, "aif") == 0 || std::strcmp(dot + 1, "AIF") == 0;
}

int verifyAllFile(Output& out, const char* path, ImageIdText& result) {
  ImageFile file;
  uint32_t firstWord = 0;
  int status = openFcImage(out, kVerifyAllHeading, kReadingAllHeader, path, file, firstWord);
  if (status != 0) return status;
  if (firstWord != NOP_IMAGE_TYPE) {
    out.traceOut(kNotNopImage, statusBits(INCOMPAT_IMAGE_ERROR));
    return INCOMPAT_IMAGE_ERROR;
  }
  const bool aifName = isAifFileName(path);
  uint64_t accuFileSize = 0;
  status = walkSubImages(out, file, aifName, accuFileSize, result);
  if (status != 0) return status;
  if (!aifName) {
    // Every whole word of the sub-images plus the checksum word after them.
    uint32_t checksum = file.seek(0) ? computeAllChecksum(file, (accuFileSize + 4) / 4)
                                     : statusBits(INVALID_IMAGE_READ_ERROR);
    if (checksum != 0) {
      out.traceOut(kBadChecksum, static_cast<unsigned long>(checksum),
                   statusBits(BAD_CHECKSUM_ERROR));
      return BAD_CHECKSUM_ERROR;
    }
  }
  return 0;
}

}  // namespace vornup
