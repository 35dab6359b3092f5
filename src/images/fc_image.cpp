#include "images/fc_image.h"

#include <cstring>

#include "images/image_status.h"

namespace vornup {

namespace {

constexpr char kVersionLine[] = "Version       = %u\n";
constexpr char kRevisionLine[] = "Revision      = %u\n";
constexpr char kFixlevelLine[] = "Fixlevel      = %u\n";
constexpr char kDistTypeLine[] = "Dist_type     = %u\n";
constexpr char kDistCntLine[] = "Dist_cnt      = %u\n";
constexpr char kEncodedVersion[] = "%u%u%u%s%u";
constexpr const char* kDistTypeLetters[] = {"N", "A", "B", "X"};

constexpr char kOpenFailed[] = "OPEN_FILE_ERROR - Could not open image file = %s, Status = %X\n";
constexpr char kInputFile[] = "Input file = %s\n";
constexpr char kFirstWordMissing[] = "INVALID_IMAGE_ERROR - Status = %X\n";

}  // namespace

void decodeImageVersion(Output& out, uint32_t idWord, char* place, std::size_t room) {
  unsigned version = (idWord >> 12) & 0xF;
  unsigned revision = (idWord >> 8) & 0xF;
  unsigned fixlevel = (idWord >> 6) & 0x3;
  unsigned distType = (idWord >> 4) & 0x3;
  unsigned distCnt = idWord & 0xF;
  out.traceOut(kVersionLine, version);
  out.traceOut(kRevisionLine, revision);
  out.traceOut(kFixlevelLine, fixlevel);
  out.traceOut(kDistTypeLine, distType);
  out.traceOut(kDistCntLine, distCnt);
  FixedText<16> text;
  text.format(kEncodedVersion, version, revision, fixlevel, kDistTypeLetters[distType], distCnt);
  if (room == 0) return;
  std::size_t length = text.length() < room - 1 ? text.length() : room - 1;
  std::memcpy(place, text.c_str(), length);
  place[length] = '\0';
}

void writeEncodedVersion(Output& out, uint32_t idWord, ImageIdText& result) {
  decodeImageVersion(out, idWord, result.data() + kEncodedVersionOffset,
                     ImageIdText::kCapacity - kEncodedVersionOffset);
}

const char* encodedVersionOf(const ImageIdText& result) {
  return result.c_str() + kEncodedVersionOffset;
}

bool readBigEndianWord(ImageFile& file, uint32_t& word) {
  word = 0;
  for (int i = 0; i < 4; ++i) {
    uint8_t byte = 0;
    if (!file.readByte(byte)) return false;
    word = (word << 8) | byte;
  }
  return true;
}

int openFcImage(Output& out, const char* heading, const char* readingLine, const char* path,
                ImageFile& file, uint32_t& firstWord) {
  out.traceOut("%s", heading);
  if (!file.open(path)) {
    out.traceOut(kOpenFailed, path, statusBits(OPEN_FILE_ERROR));
    return OPEN_FILE_ERROR;
  }
  out.traceOut(kInputFile, path);
  out.traceOut("%s", readingLine);
  bool complete = readBigEndianWord(file, firstWord);
  if (!complete || !file.seek(0)) {
    out.traceOut(kFirstWordMissing, statusBits(INVALID_IMAGE_ERROR));
    return INVALID_IMAGE_ERROR;
  }
  return 0;
}

}  // namespace vornup
