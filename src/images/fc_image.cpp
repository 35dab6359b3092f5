#include "images/fc_image.h"

#include "images/image_status.h"

namespace vornup {

namespace {

constexpr char kVersionLine[] = "Version       = %u\n";
constexpr char kRevisionLine[] = "Revision      = %u\n";
constexpr char kFixlevelLine[] = "Fixlevel      = %u\n";
constexpr char kDistTypeLine[] = "Dist_type     = %u\n";
constexpr char kDistCntLine[] = "Dist_cnt      = %u\n";
constexpr char kDistTypeLetters[] = {'N', 'A', 'B', 'X'};

// Appends `value` (below 100) in decimal.
void appendNumber(EncodedVersionText& text, unsigned value) {
  if (value >= 10) text.appendChar(static_cast<char>('0' + value / 10));
  text.appendChar(static_cast<char>('0' + value % 10));
}

constexpr char kOpenFailed[] = "OPEN_FILE_ERROR - Could not open image file = %s, Status = %X\n";
constexpr char kInputFile[] = "Input file = %s\n";
constexpr char kFirstWordMissing[] = "INVALID_IMAGE_ERROR - Status = %X\n";

}  // namespace

EncodedVersionText decodeImageVersion(Output& out, uint32_t idWord) {
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
  // Four small numbers and a letter, written without a format: discovery
  // decodes one or more versions per image file.
  EncodedVersionText text;
  appendNumber(text, version);
  appendNumber(text, revision);
  appendNumber(text, fixlevel);
  text.appendChar(kDistTypeLetters[distType]);
  appendNumber(text, distCnt);
  return text;
}

EncodedVersionText writeEncodedVersion(Output& out, uint32_t idWord, ImageIdText& result) {
  EncodedVersionText version = decodeImageVersion(out, idWord);
  result.writeAt(kEncodedVersionOffset, version.c_str());
  return version;
}

namespace {

// Reads a big-endian word one byte at a time; false when a byte is missing.
bool readBigEndianWord(ImageFile& file, uint32_t& word) {
  word = 0;
  for (int i = 0; i < 4; ++i) {
    uint8_t byte = 0;
    if (!file.readByte(byte)) return false;
    word = (word << 8) | byte;
  }
  return true;
}

}  // namespace

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
