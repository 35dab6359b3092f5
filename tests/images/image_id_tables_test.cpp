#include "images/image_id_tables.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <set>

#include "image_test_support.h"

namespace vornup {
namespace {

using testing_images::TraceCapture;

constexpr char kUnknownLine[] = "Encoded Type = UNKNOWN\n\n";

bool isTypeCode(const char* code) {
  return std::strlen(code) == 2 && std::isupper(static_cast<unsigned char>(code[0])) &&
         std::isupper(static_cast<unsigned char>(code[1]));
}

TEST(ImageIdTables, EveryDwcEntryIsATwoLetterCodeWithAUniqueId) {
  std::set<unsigned> ids;
  for (std::size_t i = 0; i < kDwcTypeCodeCount; ++i) {
    const DwcTypeCode& entry = kDwcTypeCodes[i];
    EXPECT_TRUE(ids.insert(entry.imageId).second) << "duplicate id " << int(entry.imageId);
    if (entry.imageId == 18) {
      EXPECT_STREQ(entry.type7Code, "");
      EXPECT_STREQ(entry.type11Code, "");
      continue;
    }
    EXPECT_TRUE(isTypeCode(entry.type7Code)) << int(entry.imageId);
    EXPECT_TRUE(isTypeCode(entry.type11Code)) << int(entry.imageId);
    // The two tables differ only in ids 41 and 235.
    bool differs = std::strcmp(entry.type7Code, entry.type11Code) != 0;
    EXPECT_EQ(differs, entry.imageId == 41 || entry.imageId == 235) << int(entry.imageId);
  }
  EXPECT_EQ(ids.size(), 36u);
}

TEST(ImageIdTables, EveryDwcEntryIsFoundByItsLookup) {
  for (std::size_t i = 0; i < kDwcTypeCodeCount; ++i) {
    const DwcTypeCode& entry = kDwcTypeCodes[i];
    TraceCapture trace;
    ImageIdText text("stale");
    EXPECT_TRUE(lookupDwcType7Code(trace.out, entry.imageId, text));
    EXPECT_STREQ(text.c_str(), entry.type7Code);
    EXPECT_TRUE(lookupDwcType11Code(trace.out, entry.imageId, text));
    EXPECT_STREQ(text.c_str(), entry.type11Code);
    EXPECT_EQ(trace.text(), "");
  }
}

TEST(ImageIdTables, DwcEdgeIds) {
  struct Case {
    uint32_t id;
    bool listed7;
    const char* code7;
    bool listed11;
    const char* code11;
  };
  const Case cases[] = {
      {41, true, "OF", true, "UD"},  {235, true, "ZJ", true, "ZD"},    {18, true, "", true, ""},
      {121, true, "UF", true, "UF"}, {0, false, "", false, ""},        {100, false, "", false, ""},
      {255, false, "", false, ""},   {256 + 41, false, "", false, ""},
  };
  for (const Case& c : cases) {
    TraceCapture trace;
    ImageIdText text("XX");
    EXPECT_EQ(lookupDwcType7Code(trace.out, c.id, text), c.listed7) << c.id;
    EXPECT_STREQ(text.c_str(), c.code7) << c.id;
    EXPECT_EQ(lookupDwcType11Code(trace.out, c.id, text), c.listed11) << c.id;
    EXPECT_STREQ(text.c_str(), c.code11) << c.id;
    EXPECT_EQ(trace.text(), c.listed7 ? "" : std::string(kUnknownLine) + kUnknownLine);
  }
}

TEST(ImageIdTables, PrgLettersAreUniqueUpperCaseLetters) {
  std::set<unsigned> parts;
  for (std::size_t i = 0; i < kPrgFamilyLetterCount; ++i) {
    EXPECT_TRUE(parts.insert(kPrgFamilyLetters[i].part).second);
    EXPECT_LT(kPrgFamilyLetters[i].part, 32u);
    EXPECT_TRUE(std::isupper(static_cast<unsigned char>(kPrgFamilyLetters[i].letter)));
  }
  parts.clear();
  for (std::size_t i = 0; i < kPrgKindLetterCount; ++i) {
    EXPECT_TRUE(parts.insert(kPrgKindLetters[i].part).second);
    EXPECT_LT(kPrgKindLetters[i].part, 8u);
    EXPECT_TRUE(std::isupper(static_cast<unsigned char>(kPrgKindLetters[i].letter)));
  }
  EXPECT_EQ(kPrgFamilyLetterCount, 17u);
  EXPECT_EQ(kPrgKindLetterCount, 6u);
  EXPECT_EQ(kPrgUnlistedIdCount, 3u);
}

// The 99 ids the PRG table lists; every other id of 0 to 255 has no code.
TEST(ImageIdTables, PrgTableListsExactlyTheKnownIds) {
  const std::set<uint32_t> listed = {
      25,  26,  27,  29,  30,  31,  33,  34,  35,  37,  38,  41,  42,  43,  45,  46,  47,
      49,  50,  51,  53,  54,  65,  66,  67,  69,  70,  73,  74,  75,  77,  78,  79,  89,
      90,  91,  93,  94,  95,  97,  98,  99,  101, 102, 103, 113, 114, 115, 117, 118, 119,
      121, 122, 123, 125, 126, 127, 129, 130, 131, 133, 134, 135, 145, 146, 147, 149, 150,
      151, 177, 178, 179, 181, 182, 183, 193, 194, 195, 197, 198, 199, 209, 210, 211, 213,
      214, 215, 225, 226, 227, 229, 230, 231, 241, 242, 243, 245, 246, 247};
  ASSERT_EQ(listed.size(), 99u);
  for (uint32_t id = 0; id < 260; ++id) {
    TraceCapture trace;
    ImageIdText text("stale");
    const bool found = lookupPrgCode(trace.out, id, text);
    if (listed.count(id) != 0) {
      EXPECT_TRUE(found) << id;
      EXPECT_TRUE(isTypeCode(text.c_str())) << id;
      EXPECT_EQ(trace.text(), "");
    } else {
      EXPECT_FALSE(found) << id;
      EXPECT_STREQ(text.c_str(), "") << id;
      EXPECT_EQ(trace.text(), kUnknownLine) << id;
    }
  }
}

TEST(ImageIdTables, PrgCodesOfTheTableEdges) {
  struct Case {
    uint32_t id;
    const char* code;  // empty: no code
  };
  const Case cases[] = {
      {25, "YB"}, {121, "UB"}, {127, "UU"}, {247, "WU"}, {38, "DP"}, {54, "QP"},
      {70, "CP"}, {39, ""},    {55, ""},    {71, ""},    {24, ""},   {28, ""},
      {0, ""},    {255, ""},   {256 + 25, ""},
  };
  for (const Case& c : cases) {
    TraceCapture trace;
    ImageIdText text;
    EXPECT_EQ(lookupPrgCode(trace.out, c.id, text), c.code[0] != '\0') << c.id;
    EXPECT_STREQ(text.c_str(), c.code) << c.id;
  }
}

}  // namespace
}  // namespace vornup
