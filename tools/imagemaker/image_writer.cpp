#include "image_writer.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace vornup {
namespace imagemaker {

namespace {

// UFI layout.
constexpr uint64_t kUfiHeaderBytes = 96;
constexpr uint64_t kUfiLengthOffset = 56;
constexpr uint64_t kUfiVersionOffset = 72;
constexpr std::size_t kUfiVersionBytes = 24;
constexpr char kUfiCookie[] = "*** GM FLAS\0\0\0\0\0H DIRECTORY *** ";
constexpr std::size_t kUfiCookieBytes = 32;
constexpr uint64_t kUfiDirectoryBytes = 2256;
constexpr uint64_t kUfiDeviceIdOffset = 52;
constexpr uint64_t kUfiDeviceIdStride = 16;
constexpr std::size_t kUfiDeviceIds = 8;
constexpr uint64_t kKx2FirstCookie = 96;
constexpr uint64_t kKx3FirstCookie = 112;
constexpr uint32_t kKx2DeviceId = 0x3A00;
constexpr uint32_t kKx3DeviceId = 0x3A10;

// GRP layout.
constexpr std::size_t kGrpVersionOffset = 12;
constexpr std::size_t kGrpVersionBytes = 128;
constexpr std::size_t kGrpHeaderBytes = kGrpVersionOffset + kGrpVersionBytes;

// ALL layout.
constexpr std::size_t kAifHeaderBytes = 128;
constexpr std::size_t kAifKindOffset = 8;
constexpr std::size_t kAifBodySizeOffset = 20;
constexpr std::size_t kAifImageIdOffset = 56;
constexpr std::size_t kAllSkippedBytes = 4;
constexpr uint32_t kChecksumStart = 0xAAAAAAAA;

// PCI expansion ROM and PRG layout.
constexpr std::size_t kRomPointerOffset = 24;
constexpr std::size_t kPciDataBytes = 28;
constexpr std::size_t kPrgHeaderBytes = 48;

// Stores `value` at `offset` with the given byte order, dropping bytes that
// lie beyond the image (a truncated image keeps what fits).
void putLe32(Bytes& bytes, uint64_t offset, uint32_t value) {
  for (unsigned i = 0; i < 4; ++i) {
    if (offset + i < bytes.size()) bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
  }
}

void putBe32(Bytes& bytes, uint64_t offset, uint32_t value) {
  for (unsigned i = 0; i < 4; ++i) {
    if (offset + i < bytes.size()) {
      bytes[offset + i] = static_cast<uint8_t>(value >> (8 * (3 - i)));
    }
  }
}

void putLe16(Bytes& bytes, uint64_t offset, uint16_t value) {
  for (unsigned i = 0; i < 2; ++i) {
    if (offset + i < bytes.size()) bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
  }
}

// Copies `count` bytes of `data` (zeros past its end) to `offset`.
void putText(Bytes& bytes, uint64_t offset, const std::string& data, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    if (offset + i >= bytes.size()) return;
    bytes[offset + i] = i < data.size() ? static_cast<uint8_t>(data[i]) : 0;
  }
}

void putRaw(Bytes& bytes, uint64_t offset, const char* data, std::size_t count) {
  putText(bytes, offset, std::string(data, count), count);
}

// Filler for bodies and padding: not constant, so checksums and searches see
// varied bytes, and the same for every run.
void fillPattern(Bytes& bytes, uint64_t begin, uint64_t end) {
  for (uint64_t i = begin; i < end && i < bytes.size(); ++i) {
    bytes[i] = static_cast<uint8_t>((i * 131 + 7) >> 3);
  }
}

uint32_t rotateLeft1(uint32_t value) { return (value << 1) | (value >> 31); }

uint32_t be32At(const Bytes& bytes, uint64_t offset) {
  uint32_t word = 0;
  for (unsigned i = 0; i < 4; ++i) {
    uint8_t byte = offset + i < bytes.size() ? bytes[offset + i] : 0;
    word = (word << 8) | byte;
  }
  return word;
}

// The running sum before its final rotation.
uint32_t runningChecksum(const Bytes& bytes, uint64_t wordCount) {
  uint32_t sum = kChecksumStart;
  for (uint64_t w = 0; w < wordCount; ++w) sum = rotateLeft1(sum) ^ be32At(bytes, 4 * w);
  return sum;
}

}  // namespace

Bytes makeUfi(const UfiLayout& layout) {
  const bool kx2 = layout.chip == UfiChip::kx2;
  const uint64_t cookieAt = layout.cookieOffset.value_or(kx2 ? kKx2FirstCookie : kKx3FirstCookie);
  Bytes bytes(static_cast<std::size_t>(layout.size.value_or(cookieAt + kUfiDirectoryBytes)), 0);
  fillPattern(bytes, kUfiHeaderBytes, bytes.size());
  // The flash directory: cookie, device id records, the rest zero.
  for (uint64_t i = cookieAt; i < cookieAt + kUfiDirectoryBytes && i < bytes.size(); ++i) {
    bytes[i] = 0;
  }
  if (layout.cookie) putRaw(bytes, cookieAt, kUfiCookie, kUfiCookieBytes);
  std::vector<uint32_t> ids = layout.deviceIds;
  if (ids.empty()) ids.push_back(kx2 ? kKx2DeviceId : kKx3DeviceId);
  for (std::size_t n = 0; n < ids.size() && n < kUfiDeviceIds; ++n) {
    putLe32(bytes, cookieAt + kUfiDeviceIdOffset + n * kUfiDeviceIdStride, ids[n]);
  }
  // The header fields last: where a directory placed early overlaps them,
  // the header wins.
  putLe32(bytes, kUfiLengthOffset, layout.headerLength.value_or(static_cast<uint32_t>(bytes.size())));
  putText(bytes, kUfiVersionOffset, layout.version, kUfiVersionBytes);
  return bytes;
}

Bytes makeGrp(const GrpLayout& layout) {
  Bytes bytes(static_cast<std::size_t>(layout.size), 0);
  fillPattern(bytes, kGrpHeaderBytes, bytes.size());
  putBe32(bytes, 0, layout.firstWord);
  putBe32(bytes, 4, layout.magic);
  putBe32(bytes, 8, layout.signature);
  std::string field = layout.version;
  if (layout.unterminatedVersion && field.size() < kGrpVersionBytes) {
    field.resize(kGrpVersionBytes, ' ');
  }
  putText(bytes, kGrpVersionOffset, field, kGrpVersionBytes);
  return bytes;
}

uint32_t allChecksum(const Bytes& bytes, uint64_t wordCount) {
  return rotateLeft1(runningChecksum(bytes, wordCount));
}

Bytes makeAll(const AllLayout& layout) {
  std::vector<AllSubImageLayout> subImages = layout.subImages;
  if (subImages.empty()) subImages.emplace_back();
  Bytes bytes;
  for (const AllSubImageLayout& sub : subImages) {
    const uint64_t start = bytes.size();
    bytes.resize(start + kAifHeaderBytes + sub.bodySize, 0);
    putBe32(bytes, start, sub.compressBr);
    putBe32(bytes, start + kAifKindOffset, sub.kind);
    putBe32(bytes, start + kAifBodySizeOffset, sub.declaredBodySize.value_or(sub.bodySize));
    putBe32(bytes, start + kAifImageIdOffset,
            imageIdWord(sub.imageFamily, sub.imageId, sub.version));
    fillPattern(bytes, start + kAifHeaderBytes, bytes.size());
    if (!layout.aifLayout) bytes.resize(bytes.size() + kAllSkippedBytes, 0);
  }
  if (layout.aifLayout) return bytes;
  // The checksum word follows the last whole word of the sub-images and
  // brings the checksum over everything up to it to 0.
  const uint64_t wordCount = (bytes.size() + 4) / 4;
  const uint64_t checksumOffset = 4 * (wordCount - 1);
  bytes.resize(static_cast<std::size_t>(checksumOffset + 4), 0);
  uint32_t word = rotateLeft1(runningChecksum(bytes, wordCount - 1));
  if (layout.badChecksum) word ^= 1;
  putBe32(bytes, checksumOffset, word);
  return bytes;
}

Bytes makeRom(const RomLayout& layout) {
  uint32_t size = std::max<uint32_t>(layout.size, layout.pciDataOffset + kPciDataBytes);
  size = (size + 3) & ~3u;
  Bytes rom(size, 0);
  fillPattern(rom, kRomPointerOffset + 4, rom.size());
  if (layout.signature) {
    rom[0] = 0x55;
    rom[1] = 0xAA;
  }
  rom[2] = static_cast<uint8_t>((size + 511) / 512);
  putLe16(rom, kRomPointerOffset, layout.pciDataOffset);
  rom[kRomPointerOffset + 2] = 0;
  rom[kRomPointerOffset + 3] = 0;
  const uint64_t pci = layout.pciDataOffset;
  std::fill(rom.begin() + static_cast<std::ptrdiff_t>(pci),
            rom.begin() + static_cast<std::ptrdiff_t>(pci + kPciDataBytes), 0);
  putRaw(rom, pci, "PCIR", 4);
  putLe16(rom, pci + 4, layout.vendorId);
  putLe16(rom, pci + 6, layout.deviceId);
  putLe16(rom, pci + 10, 0x18);  // structure length
  rom[pci + 14] = 0x04;          // class: serial bus, fibre channel
  rom[pci + 15] = 0x0C;
  putLe16(rom, pci + 16, static_cast<uint16_t>((size + 511) / 512));
  rom[pci + 21] = 0x80;  // last image
  return rom;
}

Bytes wrapRomInPrg(uint32_t firstWord, uint32_t idWord, const Bytes& rom) {
  Bytes bytes(kPrgHeaderBytes + ((rom.size() + 3) & ~static_cast<std::size_t>(3)), 0);
  putBe32(bytes, 0, firstWord);
  putBe32(bytes, 4, idWord);
  for (std::size_t k = 0; k < rom.size(); ++k) {
    bytes[kPrgHeaderBytes + (k & ~static_cast<std::size_t>(3)) + 3 - (k & 3)] = rom[k];
  }
  return bytes;
}

Bytes makePrg(const PrgLayout& layout) {
  const uint32_t idWord = imageIdWord(layout.imageFamily, layout.imageId, layout.version);
  return wrapRomInPrg(layout.firstWord, idWord, layout.rom ? makeRom(*layout.rom) : Bytes());
}

bool writeImageFile(const std::string& path, const Bytes& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  file.close();
  return !file.fail();
}

bool readWholeFile(const std::string& path, Bytes& bytes) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  return !file.bad();
}

}  // namespace imagemaker
}  // namespace vornup
