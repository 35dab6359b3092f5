// Writes Korvane image files of the four formats: valid ones from a few
// parameters, and broken ones by changing a parameter (bad magic, wrong
// lengths, missing cookie, unknown ids ...) or the bytes afterwards
// (truncation, single-byte changes).
//
// The writer knows the layouts on its own, without the program's readers, so
// that the readers' tests check them against an independent encoder. Images
// are built in memory; the largest ones the maker writes are 16 MiB.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vornup {
namespace imagemaker {

using Bytes = std::vector<uint8_t>;

// ---- UFI (converged adapters, KX2 and KX3 chips), little-endian ----------

enum class UfiChip { kx2, kx3 };

struct UfiLayout {
  UfiChip chip = UfiChip::kx3;
  std::string version = "4.1.0.0";  // build version field, 24 bytes, cut to fit
  // Device ids 1 to 8 of the flash directory; empty: the chip's first id.
  std::vector<uint32_t> deviceIds;
  // Where the flash directory starts; empty: the chip's first search block
  // after the header (KX2 96, KX3 112).
  std::optional<uint64_t> cookieOffset;
  bool cookie = true;  // false: the directory is written without its cookie
  // Total file size; empty: up to the end of the flash directory. A smaller
  // size cuts the directory off, a larger one pads with zeros.
  std::optional<uint64_t> size;
  // Image length in the header; empty: the file size.
  std::optional<uint32_t> headerLength;
};

Bytes makeUfi(const UfiLayout& layout);

// ---- GRP (Halvard adapters), big-endian header words -------------------

struct GrpLayout {
  uint32_t firstWord = 0;
  uint32_t magic = 0xFEAA0001;
  uint32_t signature = 0xF7A20000;
  std::string version = "1.1.43.3";  // 128-byte field, cut to fit
  bool unterminatedVersion = false;  // fill the rest of the field with blanks, no NUL
  uint64_t size = 140;               // at least the header is written unless smaller
};

Bytes makeGrp(const GrpLayout& layout);

// ---- ALL (Fibre Channel firmware), big-endian words ---------------------

constexpr uint32_t kNopWord = 0xE1A00000;
constexpr uint32_t kKindAwc = 0xE1A01001;
constexpr uint32_t kKindDwc = 0xE1A02002;
constexpr uint32_t kKindBwc = 0xE1A03003;
constexpr uint32_t kKindFwc = 0xE1A04004;

// The image id word: image type, image id and the version word.
inline uint32_t imageIdWord(uint8_t imageFamily, uint8_t imageId, uint16_t version) {
  return (static_cast<uint32_t>(imageFamily) << 24) | (static_cast<uint32_t>(imageId) << 16) |
         version;
}

struct AllSubImageLayout {
  uint32_t kind = kKindDwc;
  uint8_t imageFamily = 7;
  uint8_t imageId = 121;
  uint16_t version = 0x1234;
  uint32_t bodySize = 64;                    // body bytes written
  std::optional<uint32_t> declaredBodySize;  // body size word; empty: bodySize
  uint32_t compressBr = kNopWord;
};

struct AllLayout {
  std::vector<AllSubImageLayout> subImages;  // empty: one default DWC sub-image
  // AIF layout: sub-images back to back, no skipped bytes, no checksum word
  // (for files with an AIF name).
  bool aifLayout = false;
  bool badChecksum = false;  // the checksum word is off by one
};

Bytes makeAll(const AllLayout& layout);

// The checksum rule of ALL files over whole big-endian words of `bytes`
// (missing bytes of a last partial word count as zero); 0 for a good file.
uint32_t allChecksum(const Bytes& bytes, uint64_t wordCount);

// ---- PRG (Fibre Channel boot code) -------------------------------------

struct RomLayout {
  uint16_t vendorId = 0x1C4B;
  uint16_t deviceId = 0x7D80;
  uint8_t pciDataOffset = 0x1C;
  bool signature = true;  // false: no 0x55 0xAA at the start
  uint32_t size = 64;     // rounded up to hold the PCI data structure and whole 4-byte groups
};

// A PCI expansion ROM in its own byte order.
Bytes makeRom(const RomLayout& layout);

struct PrgLayout {
  uint32_t firstWord = 0x4B505247;  // anything but kNopWord
  uint8_t imageFamily = 0;
  uint8_t imageId = 121;
  uint16_t version = 0x1234;
  std::optional<RomLayout> rom = RomLayout();  // empty: the header alone
};

Bytes makePrg(const PrgLayout& layout);

// A 48-byte PRG header (words 0 and 1 as given, the rest zero) followed by
// `rom` stored in 4-byte groups with each group's bytes reversed (a last
// partial group is padded with zeros).
Bytes wrapRomInPrg(uint32_t firstWord, uint32_t idWord, const Bytes& rom);

// ---- Files --------------------------------------------------------------

// Writes the bytes to a file; false when it cannot be written.
bool writeImageFile(const std::string& path, const Bytes& bytes);

// Reads a whole file (for wrapping a ROM); false when it cannot be read.
bool readWholeFile(const std::string& path, Bytes& bytes);

}  // namespace imagemaker
}  // namespace vornup
