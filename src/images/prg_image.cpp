#include "images/prg_image.h"

#include <cstring>

#include "images/byte_reader.h"
#include "images/fc_image.h"
#include "images/image_id_tables.h"
#include "images/image_status.h"

namespace vornup {

namespace {

constexpr char kVerifyPrgHeading[] = "\n[verifyPRG_file]\n";
constexpr char kReadingPrgHeader[] = "Reading PRG Header...\n";
constexpr char kAllImageType[] = "INCOMPAT_IMAGE_ERROR - Image Type = %X, Status = %X\n";
constexpr char kPrgImageId[] = "PRG ImageID   = %X\n";
constexpr char kUnknownPrgId[] = "INCOMPAT_IMAGE_ERROR - Status = %X\n";
constexpr char kEncodedType[] = "Encoded Type  = %s\n";
constexpr char kEncodedVers[] = "Encoded Vers  = %s\n";

constexpr std::size_t kPrgImageIdWordOffset = 4;

// The PCI expansion ROM layout, in the ROM's own byte order.
constexpr uint8_t kRomSignature0 = 0x55;
constexpr uint8_t kRomSignature1 = 0xAA;
constexpr std::size_t kRomPciDataPointer = 24;
constexpr std::size_t kPciDataBytes = 28;
constexpr char kPciDataSignature[] = "PCIR";
constexpr std::size_t kPciDataDeviceId = 6;

// Reads `count` ROM bytes from ROM offset `offset` (relative to `romStart`)
// in the ROM's own order: ROM byte k lies in the file at the 4-byte group of
// k, with the group's bytes reversed. Only whole groups are read; false when
// any byte of them is missing.
bool readRomBytes(ImageFile& file, uint64_t romStart, std::size_t offset, std::size_t count,
                  uint8_t* data) {
  constexpr std::size_t kMaxGroups = (kPciDataBytes + 3) / 4 + 1;
  uint8_t groups[kMaxGroups * 4];
  std::size_t first = offset & ~static_cast<std::size_t>(3);
  std::size_t span = ((offset + count + 3) & ~static_cast<std::size_t>(3)) - first;
  if (span > sizeof groups) return false;
  if (!file.seek(romStart + first) || file.read(groups, span) != span) return false;
  for (std::size_t i = 0; i < count; ++i) {
    std::size_t k = offset + i;
    data[i] = groups[(k & ~static_cast<std::size_t>(3)) - first + 3 - (k & 3)];
  }
  return true;
}

bool romCarriesDeviceId(ImageFile& file, uint64_t romStart, uint32_t deviceId) {
  uint8_t signature[4];
  if (!readRomBytes(file, romStart, 0, sizeof signature, signature)) return false;
  if (signature[0] != kRomSignature0 || signature[1] != kRomSignature1) return false;
  uint8_t pointer[4];
  if (!readRomBytes(file, romStart, kRomPciDataPointer, sizeof pointer, pointer)) return false;
  if (pointer[0] == 0 && pointer[1] == 0 && pointer[2] == 0 && pointer[3] == 0) return false;
  // Only the low byte of the pointer is taken: the data structure lies in
  // the first 256 bytes of the ROMs this boot code uses.
  uint8_t pciData[kPciDataBytes] = {};
  if (!readRomBytes(file, romStart, pointer[0], sizeof pciData, pciData)) return false;
  if (std::memcmp(pciData, kPciDataSignature, 4) != 0) return false;
  return ByteReader(pciData, sizeof pciData).le16(kPciDataDeviceId) == deviceId;
}

// Reads the 48-byte header one byte at a time: 0xFFF90002 when the file ends
// inside it, 0xFFF90001 when a byte cannot be read for another reason.
int readPrgHeader(ImageFile& file, uint8_t (&header)[kPrgHeaderBytes]) {
  for (uint8_t& byte : header) {
    if (file.atEnd()) return INVALID_IMAGE_END_OF_FILE;
    if (!file.readByte(byte)) {
      return file.atEnd() ? INVALID_IMAGE_END_OF_FILE : INVALID_IMAGE_READ_ERROR;
    }
  }
  return 0;
}

}  // namespace

bool hasPciRomDeviceId(ImageFile& file, uint32_t deviceId) {
  const uint64_t entry = file.position();
  bool matches = romCarriesDeviceId(file, entry, deviceId);
  bool back = file.seek(entry);
  return matches && back;
}

int verifyPrgFile(Output& out, const char* path, ImageIdText& result) {
  ImageFile file;
  uint32_t firstWord = 0;
  int status = openFcImage(out, kVerifyPrgHeading, kReadingPrgHeader, path, file, firstWord);
  if (status != 0) return status;
  if (firstWord == NOP_IMAGE_TYPE) {
    out.traceOut(kAllImageType, firstWord, statusBits(INCOMPAT_IMAGE_ERROR));
    return INCOMPAT_IMAGE_ERROR;
  }
  uint8_t header[kPrgHeaderBytes];
  status = readPrgHeader(file, header);
  if (status != 0) return status;
  const uint32_t idWord = ByteReader(header, sizeof header).be32(kPrgImageIdWordOffset);
  out.traceOut(kPrgImageId, imageIdOf(idWord));
  if (!lookupPrgCode(out, imageIdOf(idWord), result)) {
    out.traceOut(kUnknownPrgId, statusBits(INCOMPAT_IMAGE_ERROR));
    return INCOMPAT_IMAGE_ERROR;
  }
  if (result.c_str()[0] == 'U' && hasPciRomDeviceId(file, kPrgFamilyFDeviceId)) {
    result.replaceAt(0, 'F');
  }
  out.traceOut(kEncodedType, result.c_str());
  const EncodedVersionText version = writeEncodedVersion(out, idWord, result);
  out.traceOut(kEncodedVers, version.c_str());
  return 0;
}

}  // namespace vornup
