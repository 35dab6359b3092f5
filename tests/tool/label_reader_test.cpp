#include "tool/label_reader.h"

#include <gtest/gtest.h>

#include <string>

namespace vornup {
namespace {

struct LabelCase {
  const char* label;
  std::string text;
  bool found;
  std::string value;
};

TEST(GetLabelValue, DropsDotsAndUpcases) {
  const LabelCase cases[] = {
      {"FW Version", "FW Version : 2.72a2\n", true, "272A2"},
      {"FW Version", "FW Version :      2.72A2 (U3D2.72A2)\n", true, "272A2"},
      {"FW Version", "Host Name : x\nFW Version : 2.82A4", true, "282A4"},  // value at end of text
      {"FW Version", "FW Version : 2.82A4\r\nNext : y\n", true, "282A4"},
      {"FW Version", "FW Version :\n", true, ""},
      {"FW Version", "FW Version :\tv1\n", true, "\tV1"},  // only blanks are skipped
      {"Header Type", "Vendor ID : 1A5C\n", false, "N/A"},
      {"Header Type", "Header Type 80\n", false, "N/A"},  // no colon: no value
      {"Port Type", "Port Type : fcoe\n", true, "FCOE"},
      {"Flags", "Flags : 8000\xFF"
                "7e0d\n",
       true, "8000\xFF"
             "7E0D"},
      // The colon may stand on a later line; the first one after the label counts.
      {"Boot Code", "Boot Code\n  : Enabled\n", true, "ENABLED"},
  };
  for (const LabelCase& c : cases) {
    FixedText<32> value("previous");
    EXPECT_EQ(getLabelValue(c.label, c.text.c_str(), value), c.found) << c.text;
    EXPECT_EQ(value.c_str(), c.value) << c.text;
  }
}

TEST(GetLabelValue, LongValueIsCutToTheDestination) {
  std::string text = "Serial No. : " + std::string(500, 'a') + "\n";
  FixedText<32> value;
  EXPECT_TRUE(getLabelValue("Serial No.", text.c_str(), value));
  EXPECT_EQ(value.c_str(), std::string(31, 'A'));
  FixedText<4> small;
  EXPECT_TRUE(getLabelValue("Serial No.", text.c_str(), small));
  EXPECT_STREQ(small.c_str(), "AAA");
}

TEST(GetLabelToken, KeepsTheValueUpToADelimiter) {
  const LabelCase cases[] = {
      {"FW Version", "FW Version : 4.0.360.15\n", true, "4.0.360.15"},
      {"Serial No.", "Serial No. : ab123,xyz\n", true, "ab123"},
      {"Serial No.", "Serial No. : ab\t123\n", true, "ab"},
      {"Serial No.", "Serial No. : ab\xFF"
                     "123\n",
       true, "ab"},
      {"Serial No.", "Serial No. : ab 123\n", true, "ab"},
      {"Serial No.", "Serial No. : ab\r\n", true, "ab"},
      {"Serial No.", "Serial No. : kf77", true, "kf77"},
      {"Serial No.", "Serial No. :\n", false, "N/A"},
      {"Serial No.", "Serial No. :", false, "N/A"},
      {"Serial No.", "Serial No. ab123", false, "N/A"},
      {"Boot Code", "Host : a\n", false, "N/A"},
  };
  for (const LabelCase& c : cases) {
    FixedText<32> value("previous");
    EXPECT_EQ(getLabelToken(c.label, c.text.c_str(), value), c.found) << c.text;
    EXPECT_EQ(value.c_str(), c.value) << c.text;
  }
}

TEST(GetLabelToken, LongValueIsCutToTheDestination) {
  std::string text = "Serial No. : " + std::string(1000, 'k');
  FixedText<288> value;
  EXPECT_TRUE(getLabelToken("Serial No.", text.c_str(), value));
  EXPECT_EQ(value.length(), 287u);
}

TEST(UpcaseText, ChangesOnlyLowerCaseAsciiLetters) {
  FixedText<16> text("ab-Z9\xE4z.");
  text.upcase();
  EXPECT_STREQ(text.c_str(), "AB-Z9\xE4Z.");
}

TEST(ReplaceAt, WritesOnlyInsideTheText) {
  FixedText<8> text("KU");
  EXPECT_TRUE(text.replaceAt(0, 'F'));
  EXPECT_STREQ(text.c_str(), "FU");
  EXPECT_FALSE(text.replaceAt(2, 'X'));  // the terminator stays
  EXPECT_FALSE(text.replaceAt(1, '\0'));
  EXPECT_STREQ(text.c_str(), "FU");
  FixedText<8> empty;
  EXPECT_FALSE(empty.replaceAt(0, 'F'));
  EXPECT_STREQ(empty.c_str(), "");
}

TEST(HexValue, ReadsLeadingHexDigits) {
  const struct {
    const char* text;
    uint32_t value;
  } cases[] = {
      {"7D00", 0x7D00}, {"0x7d00", 0x7D00},       {"0X7D00", 0x7D00}, {"12G4", 0x12},
      {"", 0},          {"N/A", 0},               {"0x", 0},          {"FFFFFFFF", 0xFFFFFFFF},
      {"123456789", 0xFFFFFFFF}, {"0000000000001", 1},
  };
  for (const auto& c : cases) EXPECT_EQ(hexValue(c.text), c.value) << c.text;
}

TEST(ReadHexLabel, AbsentLabelReadsAsZero) {
  EXPECT_EQ(readHexLabel("Device ID", "Device ID : 7d00\nSub Device ID : 7D2E\n"), 0x7D00u);
  EXPECT_EQ(readHexLabel("Sub Device ID", "Device ID : 7d00\nSub Device ID : 7D2E\n"), 0x7D2Eu);
  EXPECT_EQ(readHexLabel("Header Type", "Device ID : 7d00\n"), 0u);
}

}  // namespace
}  // namespace vornup
