#include "images/grp_image.h"

#include <cstring>

#include "images/byte_reader.h"
#include "images/image_file.h"
#include "images/image_status.h"

namespace vornup {

const ImageCheckRules kGrpImageCheck = {"GRP", ImageFileKind::grp, "Halvard", 16777392};

namespace {

constexpr char kVerifyGrpHeading[] = "\n[verifyGRP_file]\n";
constexpr char kInputFile[] = "Input file = %s\n";
constexpr char kHeaderHeading[] = "\n[VerifyGRP_Header]\n";
constexpr char kNotHalvardImage[] = "Invalid GRP Image! Not a Halvard Image!\n";
constexpr char kFileTooShort[] =
    "RM_STATUS_ERROR_SHORT_FWIMAGE - GRP fileLength is smaller than the GRP header length! "
    "Status = %d\n";
constexpr char kMagicBad[] =
    "RM_STATUS_ERROR - Halvard firmware file GRP Header magic number bad = %X\n";
constexpr char kSignatureBad[] =
    "RM_STATUS_ERROR - Halvard firmware file GRP Header signature bad    = %X\n";
constexpr char kMagicOk[] =
    "RM_STATUS_OK - Halvard firmware file GRP Header magic number is OK = %X\n";
constexpr char kSignatureOk[] =
    "RM_STATUS_OK - Halvard firmware file GRP Header signature is OK    = %X\n";
constexpr char kVersionDecodeBad[] =
    "RM_STATUS_ERROR - Halvard firmware file GRP Header version decode bad.\n";
constexpr char kFirmwareVersion[] = "Halvard firmware version  = %s\n";
constexpr char kBuildString[] = "UFI GetHalvardBuildString = %s\n";

bool isBuildCharacter(char c) { return (c >= '0' && c <= '9') || c == '.'; }

}  // namespace

int readGrpHeader(GrpHeader& header, const char* path) {
  ImageFile file;
  file.open(path);
  return readGrpHeader(header, file);
}

int readGrpHeader(GrpHeader& header, ImageFile& file) {
  if (!file.isOpen()) return RM_STATUS_ERROR_READING_RESOURCE;
  if (file.size() < GrpHeader::kBytes) return RM_STATUS_ERROR_SHORT_FWIMAGE;
  uint8_t bytes[GrpHeader::kBytes] = {};
  if (file.seek(0)) file.readZeroFilled(bytes, sizeof bytes);
  ByteReader reader(bytes, sizeof bytes);
  header.firstWord = reader.be32(0);
  header.magicNumber = reader.be32(GrpHeader::kMagicOffset);
  header.signature = reader.be32(GrpHeader::kSignatureOffset);
  std::memcpy(header.version, bytes + GrpHeader::kVersionOffset, GrpHeader::kVersionBytes);
  if (!header.magicOk() || !header.signatureOk()) return RM_STATUS_ERROR;
  return RM_STATUS_OK;
}

int getHalvardBuildString(Output& out, ImageIdText& buildText, const GrpHeader& header) {
  buildText.clear();
  int result = RM_STATUS_OK;
  if (std::memchr(header.version, '\0', GrpHeader::kVersionBytes) == nullptr) {
    result = RM_STATUS_ERROR;  // the text fills the whole field: no end
  } else {
    std::size_t run = 0;
    while (isBuildCharacter(header.version[run])) ++run;
    // A longer build text than the identifier holds is refused, not cut:
    // a cut version would compare as a different version.
    if (run > ImageIdText::kMaxLength) {
      result = RM_STATUS_ERROR;
    } else {
      buildText.assign(header.version, run);
    }
  }
  out.traceOut(kBuildString, buildText.c_str());
  return result;
}

int verifyGrpHeader(Output& out, const char* path, ImageIdText& buildText) {
  out.traceOut(kHeaderHeading);
  ImageFile file;
  file.open(path);
  int status = checkImageFile(out, path, file, kGrpImageCheck);
  if (status != RM_STATUS_OK) {
    out.traceOut(kNotHalvardImage);
    return status;
  }
  GrpHeader header;
  status = readGrpHeader(header, file);
  if (status == RM_STATUS_ERROR_SHORT_FWIMAGE) {
    out.traceOut(kFileTooShort, RM_STATUS_ERROR_SHORT_FWIMAGE);
    return status;
  }
  if (status != RM_STATUS_OK) {
    if (!header.magicOk()) out.traceOut(kMagicBad, header.magicNumber);
    if (!header.signatureOk()) out.traceOut(kSignatureBad, header.signature);
    return RM_STATUS_ERROR;
  }
  out.traceOut(kMagicOk, header.magicNumber);
  out.traceOut(kSignatureOk, header.signature);
  if (getHalvardBuildString(out, buildText, header) != RM_STATUS_OK) {
    out.traceOut(kVersionDecodeBad);
    return RM_STATUS_ERROR;
  }
  out.traceOut(kFirmwareVersion, buildText.c_str());
  return RM_STATUS_OK;
}

int verifyGrpFile(Output& out, const char* path, ImageIdText& result, ImageFamily& family) {
  out.traceOut(kVerifyGrpHeading);
  out.traceOut(kInputFile, path);
  int status = verifyGrpHeader(out, path, result);
  if (status == RM_STATUS_OK) family = ImageFamily::halvard;
  return status;
}

}  // namespace vornup
