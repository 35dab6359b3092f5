// Test support: good image files of the four formats, written with the image
// maker, with the identifiers the decision tests need.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "image_writer.h"

namespace vornup {
namespace testimages {

// Image ids that give the type codes the tests use: ALL sub-images of image
// type 7 and PRG files (family T, then the boot code kind letter).
constexpr uint8_t kAllIdTF = 129;  // "TF"
constexpr uint8_t kAllIdLF = 113;  // "LF"
constexpr uint8_t kPrgIdTB = 129;  // "TB", x86
constexpr uint8_t kPrgIdTO = 130;  // "TO", open boot
constexpr uint8_t kPrgIdTC = 131;  // "TC"
constexpr uint8_t kPrgIdTE = 133;  // "TE", EFI
constexpr uint8_t kPrgIdTP = 134;  // "TP", pair
constexpr uint8_t kPrgIdTU = 135;  // "TU", universal
constexpr uint8_t kPrgIdLU = 119;  // "LU"

// The version word of an FC version text such as "282A4": the major digit,
// the revision digit, the fix level digit (0 to 3), the distribution letter
// (N, A, B or X) and a count of 0 to 15.
inline uint16_t fcVersionWord(const std::string& text) {
  const char* letters = "NABX";
  EXPECT_GE(text.size(), 5u) << text;
  if (text.size() < 5) return 0;
  const char* letter = std::strchr(letters, text[3]);
  EXPECT_NE(letter, nullptr) << text;
  const unsigned distType = letter != nullptr ? static_cast<unsigned>(letter - letters) : 0;
  const unsigned count = static_cast<unsigned>(std::stoul(text.substr(4)));
  const unsigned word =
      (static_cast<unsigned>(text[0] - '0') << 12) | (static_cast<unsigned>(text[1] - '0') << 8) |
      ((static_cast<unsigned>(text[2] - '0') & 0x3) << 6) | (distType << 4) | (count & 0xF);
  return static_cast<uint16_t>(word);
}

inline void writeBytes(const std::string& path, const imagemaker::Bytes& bytes) {
  ASSERT_TRUE(imagemaker::writeImageFile(path, bytes)) << path;
}

// An FC firmware file with one DWC sub-image of image type 7.
inline void writeAll(const std::string& path, uint8_t imageId, const std::string& version) {
  imagemaker::AllSubImageLayout sub;
  sub.imageId = imageId;
  sub.version = fcVersionWord(version);
  imagemaker::AllLayout layout;
  layout.subImages.push_back(sub);
  writeBytes(path, imagemaker::makeAll(layout));
}

// An FC boot code file.
inline void writePrg(const std::string& path, uint8_t imageId, const std::string& version) {
  imagemaker::PrgLayout layout;
  layout.imageId = imageId;
  layout.version = fcVersionWord(version);
  writeBytes(path, imagemaker::makePrg(layout));
}

// A converged firmware file of the first (KX2) or second (KX3) generation.
inline void writeUfi(const std::string& path, const std::string& version,
                     imagemaker::UfiChip chip = imagemaker::UfiChip::kx2) {
  imagemaker::UfiLayout layout;
  layout.chip = chip;
  layout.version = version;
  writeBytes(path, imagemaker::makeUfi(layout));
}

// A Halvard firmware file.
inline void writeGrp(const std::string& path, const std::string& version) {
  imagemaker::GrpLayout layout;
  layout.version = version;
  writeBytes(path, imagemaker::makeGrp(layout));
}

// A file that no reader accepts.
inline void writeJunk(const std::string& path) { writeBytes(path, imagemaker::Bytes(16, 0x5A)); }

}  // namespace testimages
}  // namespace vornup
