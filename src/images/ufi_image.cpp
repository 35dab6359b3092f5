#include "images/ufi_image.h"

#include <cstring>

#include "core/model_table.h"
#include "images/byte_reader.h"
#include "images/image_file.h"
#include "images/image_status.h"

namespace vornup {

const UfiChip kKx2Chip = {
    "KX2", "Brindle", {"UFI", ImageFileKind::ufi, "KX2", 8388704}, 96, ImageFamily::kx2};
const UfiChip kKx3Chip = {
    "KX3", "Quarrel", {"UFI", ImageFileKind::ufi, "KX3", 16777392}, 16, ImageFamily::kx3};

namespace {

constexpr char kVerifyUfiHeading[] = "\n[verifyUFI_file]\n";
constexpr char kInputFile[] = "Input file = %s\n";
constexpr char kChipHeading[] = "\n[Verify%sFirmware]\n";
constexpr char kNotChipImage[] = "Invalid %s Image! Not a %s Image!\n";
constexpr char kHeaderTooShort[] =
    "RM_STATUS_ERROR_SHORT_FWIMAGE - %s UFI Header too short! Status = %d\n";
constexpr char kHeaderTooLong[] =
    "RM_STATUS_ERROR_LONG_FWIMAGE - %s UFI Header too long! Status = %d\n";
constexpr char kUfiVersion[] = "UFI buildVersionString = %s\n";
constexpr char kCluVersion[] = "CLU buildVersionString = %s\n";
constexpr char kCookieNotFound[] = "RM_STATUS_ERROR_INCOMP_IMAGE - %s gmIdentifier not found!\n";
constexpr char kBadDirectory[] = "RM_STATUS_ERROR_INCOMP_IMAGE - Invalid %s UFI flash directory!\n";
constexpr char kPrintDirectoryHeading[] = "\n[printUFIHeaderFlashDirectory]\n";
constexpr char kDeviceIdLine[] = "ufi_flash_dir->deviceId%u = %X\n";

// The cookie search reads through one buffer of this many 32-byte blocks.
constexpr std::size_t kSearchBufferBytes = 2048 * kUfiCookieBytes;
// The directory is read up to the end of its device id records.
constexpr std::size_t kDeviceIdAreaBytes =
    kUfiFirstDeviceIdOffset + kUfiDeviceIdStride * kUfiDeviceIdCount;

// The version text: up to the first NUL or the end of the field. When its
// second character is not '.', the first two characters are a prefix that
// the tool does not show, and are dropped.
void takeBuildVersion(Output& out, const uint8_t* header, ImageIdText& version) {
  version.assign(reinterpret_cast<const char*>(header + kUfiVersionOffset), kUfiVersionBytes);
  out.traceOut(kUfiVersion, version.c_str());
  if (version.length() < 2 || version.c_str()[1] != '.') {
    ImageIdText rest(version.c_str() + (version.length() < 2 ? version.length() : 2));
    version = rest;
  }
  out.traceOut(kCluVersion, version.c_str());
}

// Compares whole 32-byte blocks from `start` on; returns true and the offset
// of the first block that holds the cookie. A block cut short by the end of
// the file is not compared.
bool findCookie(ImageFile& file, uint64_t start, uint64_t& cookieOffset) {
  uint8_t buffer[kSearchBufferBytes];
  uint64_t blockOffset = start;
  if (!file.seek(start)) return false;
  for (;;) {
    std::size_t arrived = file.read(buffer, sizeof buffer);
    std::size_t wholeBlocks = arrived / kUfiCookieBytes;
    for (std::size_t i = 0; i < wholeBlocks; ++i) {
      const uint8_t* block = buffer + i * kUfiCookieBytes;
      if (block[0] == static_cast<uint8_t>(kUfiCookie[0]) &&
          std::memcmp(block, kUfiCookie, kUfiCookieBytes) == 0) {
        cookieOffset = blockOffset + i * kUfiCookieBytes;
        return true;
      }
    }
    if (arrived < sizeof buffer) return false;
    blockOffset += arrived;
  }
}

UfiFlashDirectory readFlashDirectory(ImageFile& file, uint64_t offset) {
  uint8_t bytes[kDeviceIdAreaBytes] = {};
  if (file.seek(offset)) file.readZeroFilled(bytes, sizeof bytes);
  ByteReader reader(bytes, sizeof bytes);
  UfiFlashDirectory directory;
  for (std::size_t n = 0; n < kUfiDeviceIdCount; ++n) {
    directory.deviceId[n] = reader.le32(kUfiFirstDeviceIdOffset + n * kUfiDeviceIdStride);
  }
  return directory;
}

bool directoryMatchesChip(const UfiFlashDirectory& directory, const UfiChip& chip) {
  for (uint32_t id : directory.deviceId) {
    if (familyOfDeviceId(id) == chip.family) return true;
  }
  return false;
}

// Checks `file`, opened (or not) from `path`, as an image of `chip`.
int verifyChipFirmware(Output& out, const UfiChip& chip, ImageIdText& version, const char* path,
                       ImageFile& file) {
  out.traceOut(kChipHeading, chip.name);
  int status = checkImageFile(out, path, file, chip.check);
  if (status != RM_STATUS_OK) {
    out.traceOut(kNotChipImage, chip.name, chip.codename);
    return status;
  }
  uint8_t header[kUfiHeaderBytes] = {};
  if (file.seek(0)) file.readZeroFilled(header, sizeof header);
  const uint64_t imageLength = ByteReader(header, sizeof header).le32(kUfiImageLengthOffset);
  if (file.size() < imageLength) {
    out.traceOut(kHeaderTooShort, chip.name, RM_STATUS_ERROR_SHORT_FWIMAGE);
    return RM_STATUS_ERROR_SHORT_FWIMAGE;
  }
  if (file.size() > imageLength) {
    out.traceOut(kHeaderTooLong, chip.name, RM_STATUS_ERROR_LONG_FWIMAGE);
    return RM_STATUS_ERROR_LONG_FWIMAGE;
  }
  takeBuildVersion(out, header, version);
  uint64_t cookieOffset = 0;
  if (!findCookie(file, chip.cookieSearchStart, cookieOffset)) {
    out.traceOut(kCookieNotFound, chip.name);
    return RM_STATUS_ERROR_INCOMP_IMAGE;
  }
  UfiFlashDirectory directory = readFlashDirectory(file, cookieOffset);
  printUFIHeaderFlashDirectory(out, directory);
  if (!directoryMatchesChip(directory, chip)) {
    out.traceOut(kBadDirectory, chip.name);
    return RM_STATUS_ERROR_INCOMP_IMAGE;
  }
  return RM_STATUS_OK;
}

}  // namespace

int verifyKx2Firmware(Output& out, ImageIdText& version, const char* path) {
  ImageFile file;
  file.open(path);
  return verifyChipFirmware(out, kKx2Chip, version, path, file);
}

int verifyKx3Firmware(Output& out, ImageIdText& version, const char* path) {
  ImageFile file;
  file.open(path);
  return verifyChipFirmware(out, kKx3Chip, version, path, file);
}

void printUFIHeaderFlashDirectory(Output& out, const UfiFlashDirectory& directory) {
  out.traceOut(kPrintDirectoryHeading);
  for (std::size_t n = 0; n < kUfiDeviceIdCount; ++n) {
    out.traceOut(kDeviceIdLine, static_cast<unsigned>(n + 1), directory.deviceId[n]);
  }
}

int verifyUfiFile(Output& out, const char* path, ImageIdText& result, ImageFamily& family) {
  out.traceOut(kVerifyUfiHeading);
  out.traceOut(kInputFile, path);
  // One open serves both chips: a file is tried as KX2 first.
  ImageFile file;
  file.open(path);
  if (verifyChipFirmware(out, kKx2Chip, result, path, file) == RM_STATUS_OK) {
    family = ImageFamily::kx2;
    return RM_STATUS_OK;
  }
  int status = verifyChipFirmware(out, kKx3Chip, result, path, file);
  if (status == RM_STATUS_OK) family = ImageFamily::kx3;
  return status;
}

}  // namespace vornup
