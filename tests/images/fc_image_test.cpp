// The encoded version, the ALL checksum and the AIF name rule.
#include "images/fc_image.h"

#include <gtest/gtest.h>

#include <random>

#include "image_test_support.h"
#include "images/all_checksum.h"
#include "images/all_image.h"
#include "images/image_file.h"

namespace vornup {
namespace {

using imagemaker::Bytes;
using testing_images::ScratchDir;
using testing_images::TraceCapture;

TEST(EncodedVersion, VersionWordsGiveTheirTexts) {
  struct Case {
    uint32_t idWord;
    const char* text;
    const char* trace;
  };
  const Case cases[] = {
      {0x1234, "120X4",
       "Version       = 1\nRevision      = 2\nFixlevel      = 0\nDist_type     = 3\n"
       "Dist_cnt      = 4\n"},
      {0x0000, "000N0",
       "Version       = 0\nRevision      = 0\nFixlevel      = 0\nDist_type     = 0\n"
       "Dist_cnt      = 0\n"},
      {0xFFFF, "15153X15",
       "Version       = 15\nRevision      = 15\nFixlevel      = 3\nDist_type     = 3\n"
       "Dist_cnt      = 15\n"},
      // Only the low 16 bits are the version; A and B are distribution types 1 and 2.
      {0x0779A1D5, "1013A5", nullptr},
      {0x01020AE3, "0103B3", nullptr},
  };
  for (const Case& c : cases) {
    TraceCapture trace;
    EXPECT_STREQ(decodeImageVersion(trace.out, c.idWord).c_str(), c.text) << std::hex << c.idWord;
    if (c.trace != nullptr) {
      EXPECT_EQ(trace.text(), c.trace);
    }
  }
}

TEST(EncodedVersion, JoinsTheTypeCodeAtOffsetTwo) {
  const struct {
    const char* before;
    const char* after;
  } cases[] = {
      {"UF", "UF120X4"},
      // The version of an earlier sub-image is replaced, not added to.
      {"UF15153X15", "UF120X4"},
      {"UFXXXXXXXXXXXXXXXXXXXXXXXXXXXXX", "UF120X4"},
      // A result without a whole type code stays as it is; the version is
      // still given back for the trace.
      {"", ""},
      {"U", "U"},
  };
  for (const auto& c : cases) {
    TraceCapture trace;
    ImageIdText text(c.before);
    EXPECT_STREQ(writeEncodedVersion(trace.out, 0x1234, text).c_str(), "120X4") << c.before;
    EXPECT_STREQ(text.c_str(), c.after) << c.before;
    EXPECT_NE(trace.text().find("Dist_cnt      = 4\n"), std::string::npos) << c.before;
  }
}

// The checksum as the format states it, one word at a time; bytes past the
// end of `bytes` count as zero.
uint32_t referenceFold(uint32_t sum, const Bytes& bytes, uint64_t words) {
  for (uint64_t w = 0; w < words; ++w) {
    uint32_t word = 0;
    for (uint64_t i = 0; i < 4; ++i) {
      uint64_t at = 4 * w + i;
      word = (word << 8) | (at < bytes.size() ? bytes[at] : 0);
    }
    sum = ((sum << 1) | (sum >> 31)) ^ word;
  }
  return sum;
}

uint32_t referenceChecksum(const Bytes& bytes, uint64_t words) {
  uint32_t sum = referenceFold(0xAAAAAAAA, bytes, words);
  return (sum << 1) | (sum >> 31);
}

uint32_t fileChecksum(const ScratchDir& dir, const Bytes& bytes, uint64_t words) {
  ImageFile file;
  EXPECT_TRUE(file.open(dir.write("sum.bin", bytes).c_str()));
  uint32_t sum = computeAllChecksum(file, words);
  EXPECT_EQ(file.position(), 0u);  // back where it started
  return sum;
}

TEST(AllChecksum, KnownVectors) {
  ScratchDir dir;
  struct Case {
    Bytes bytes;
    uint32_t sum;
  };
  const Case cases[] = {
      {{0xE1, 0xA0, 0x00, 0x00}, 0x69EAAAAB},
      {{0xE1, 0xA0, 0x00, 0x00, 0x69, 0xEA, 0xAA, 0xAB}, 0},
      {{0, 0, 0, 0}, 0xAAAAAAAA},
      {{}, 0x55555555},
  };
  for (const Case& c : cases) EXPECT_EQ(fileChecksum(dir, c.bytes, c.bytes.size() / 4), c.sum);
}

TEST(AllChecksum, FoldingMatchesTheWordByWordRule) {
  ScratchDir dir;
  std::mt19937 random(7);
  // Lengths around the 32-word lanes and the 64 KiB read buffer.
  const std::size_t lengths[] = {0, 1, 31, 32, 33, 127, 128, 129, 16383, 16384, 16385, 40000};
  for (std::size_t words : lengths) {
    Bytes bytes(words * 4);
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
    EXPECT_EQ(fileChecksum(dir, bytes, words), referenceChecksum(bytes, words)) << words;
    EXPECT_EQ(foldAllChecksumWords(0x12345678, bytes.data(), words),
              referenceFold(0x12345678, bytes, words))
        << words;
  }
}

TEST(AllChecksum, BytesMissingAtTheEndCountAsZero) {
  ScratchDir dir;
  const Bytes bytes = {0xE1, 0xA0, 0x00, 0x00, 0x69, 0xEA};  // a word and a half
  for (uint64_t words : {2u, 3u, 40u, 100000u}) {
    EXPECT_EQ(fileChecksum(dir, bytes, words), referenceChecksum(bytes, words)) << words;
  }
  // 2^30 words, nearly all missing: each missing word only rotates the sum,
  // so the result is the two-word checksum rotated left by 2^30 - 2, that is
  // by 30 bits.
  uint32_t twoWords = referenceChecksum(bytes, 2);
  EXPECT_EQ(fileChecksum(dir, bytes, uint64_t(1) << 30), (twoWords << 30) | (twoWords >> 2));
}

TEST(AifFileName, OnlyTheWholeRemainderAfterTheFirstDotCounts) {
  struct Case {
    const char* path;
    bool aif;
  };
  const Case cases[] = {
      // clang-format off
      {"firmware\\image.aif", true},     {"firmware/image.AIF", true},         {"image.aif", true},
      {".\\firmware\\image.aif", false}, {"firmware\\image.AIF.old", false}, {"image.Aif", false},
      {"image.all", false},              {"image", false},                     {"image.", false},
      {"dir.aif", true},
      // clang-format on
  };
  for (const Case& c : cases) EXPECT_EQ(isAifFileName(c.path), c.aif) << c.path;
}

}  // namespace
}  // namespace vornup
