#include "selection/fwmatrix_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/captured_run.h"

namespace vornup {
namespace {

// Every line of `content`, read as the table reader reads them.
std::vector<FwmatrixLine> readAll(const std::string& content, bool tokenEndsAtHyphen) {
  ScratchDirectory dir;
  dir.write("fwmatrix.txt", content);
  std::vector<FwmatrixLine> lines;
  std::FILE* file = std::fopen(dir.file("fwmatrix.txt").c_str(), "rb");
  EXPECT_NE(file, nullptr);
  if (file == nullptr) return lines;
  FwmatrixReader reader(file);
  FwmatrixLine line;
  while (reader.readLine(tokenEndsAtHyphen, line)) lines.push_back(line);
  std::fclose(file);
  return lines;
}

struct LineCase {
  std::string content;  // one line
  bool tokenEndsAtHyphen;
  const char* token;
  std::vector<std::string> columns;
};

TEST(FwmatrixLine, TokenAndColumns) {
  const LineCase cases[] = {
      {"KV7100 fw.all bc.prg extra more\n", false, "KV7100", {"KV7100", "fw.all", "bc.prg"}},
      {"KV7100-FCoE\tfw.ufi\r\n", false, "KV7100-FCoE", {"KV7100-FCoE", "fw.ufi"}},
      {"KV7100-FCoE\tfw.ufi\r\n", true, "KV7100", {"KV7100-FCoE", "fw.ufi"}},
      {"KV7100-\tfw.all\n", true, "KV7100", {"KV7100-", "fw.all"}},
      {"-KV7100 fw.all\n", true, "", {"-KV7100", "fw.all"}},
      {"  KV7100   fw.all\n", false, "", {"KV7100", "fw.all"}},
      {"\n", false, "", {}},
      {"\r\n", false, "", {}},
      {"KV7100\n", false, "KV7100", {"KV7100"}},
      {"KV7100", false, "KV7100", {"KV7100"}},  // last line without a line feed
      // Control characters and bytes of 0x80 and above end the token, not a column.
      {"KV7100\x01junk fw.all\n", false, "KV7100", {"KV7100\x01junk", "fw.all"}},
      {"KV\xC3\xA9 fw.all\n", false, "KV", {"KV\xC3\xA9", "fw.all"}},
      {"KV7100\vfw.all\n", false, "KV7100", {"KV7100\vfw.all"}},
      // A NUL byte hides the rest of its line.
      {std::string("KV7100 fw.all\0 bc.prg\n", 22), false, "KV7100", {"KV7100", "fw.all"}},
      {std::string("\0KV7100 fw.all\n", 15), false, "", {}},
      {"/ comment line\n", false, "/", {"/", "comment", "line"}},
  };
  for (const LineCase& c : cases) {
    std::vector<FwmatrixLine> lines = readAll(c.content, c.tokenEndsAtHyphen);
    ASSERT_EQ(lines.size(), 1u) << c.content;
    const FwmatrixLine& line = lines[0];
    EXPECT_STREQ(line.leadingToken.text.c_str(), c.token) << c.content;
    EXPECT_FALSE(line.leadingToken.tooLong);
    ASSERT_EQ(line.columnCount, c.columns.size()) << c.content;
    for (std::size_t i = 0; i < c.columns.size(); ++i) {
      EXPECT_EQ(line.columns[i].text.c_str(), c.columns[i]) << c.content;
      EXPECT_FALSE(line.columns[i].tooLong);
    }
  }
}

TEST(FwmatrixLine, ColumnOf31CharactersFitsAnd32DoNot) {
  std::string fits(31, 'F');
  std::string tooLong(32, 'G');
  std::vector<FwmatrixLine> lines =
      readAll(fits + " " + fits + " " + tooLong + "\n" + tooLong + " x\n", false);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].leadingToken.text.c_str(), fits);
  EXPECT_FALSE(lines[0].leadingToken.tooLong);
  EXPECT_FALSE(lines[0].columns[1].tooLong);
  EXPECT_EQ(lines[0].columns[1].text.c_str(), fits);
  EXPECT_TRUE(lines[0].columns[2].tooLong);
  EXPECT_EQ(lines[0].columns[2].text.c_str(), std::string(31, 'G'));
  EXPECT_TRUE(lines[1].leadingToken.tooLong);
  EXPECT_TRUE(lines[1].columns[0].tooLong);
  EXPECT_EQ(lines[1].columns[1].text.c_str(), std::string("x"));
}

TEST(FwmatrixLine, LongLinesStayOneLine) {
  // Text far beyond any buffer, followed by what would look like an entry if
  // the line were cut into pieces.
  std::string longComment = "/" + std::string(254, ' ') + "KV7100 evil.all evil.prg";
  std::string junk(100000, '\x7f');
  std::string content = longComment + "\n" + junk + " KV7100 evil.all\nKV7200 fw.all\n";
  std::vector<FwmatrixLine> lines = readAll(content, true);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_STREQ(lines[0].leadingToken.text.c_str(), "/");
  EXPECT_EQ(lines[0].columnCount, 3u);
  EXPECT_STREQ(lines[0].columns[1].text.c_str(), "KV7100");
  EXPECT_TRUE(lines[1].leadingToken.tooLong);  // DEL is above the blank: part of the token
  EXPECT_TRUE(lines[1].columns[0].tooLong);
  EXPECT_STREQ(lines[1].columns[1].text.c_str(), "KV7100");
  EXPECT_STREQ(lines[2].leadingToken.text.c_str(), "KV7200");
}

TEST(FwmatrixLine, EmptyFileHasNoLines) { EXPECT_TRUE(readAll("", false).empty()); }

// `text` (ASCII, or with \u00e9 for one character beyond it) as UTF-16 of
// the given byte order, behind its byte order mark.
std::string utf16(const std::u16string& text, bool littleEndian) {
  std::string bytes = littleEndian ? "\xFF\xFE" : "\xFE\xFF";
  for (char16_t unit : text) {
    const char low = static_cast<char>(unit & 0xFF);
    const char high = static_cast<char>(unit >> 8);
    bytes += littleEndian ? std::string{low, high} : std::string{high, low};
  }
  return bytes;
}

// fwmatrix.txt as Windows editors save it: every form of the same two-line
// table reads as the same two lines, the first one included.
TEST(FwmatrixLine, ByteOrderMarksAndLineEnds) {
  struct Case {
    const char* label;
    std::string content;
  };
  const std::u16string table = u"KV7100 fw.all bc.prg\r\nKC2100-NIC kc.ufi\r\n";
  const Case cases[] = {
      {"LF", "KV7100 fw.all bc.prg\nKC2100-NIC kc.ufi\n"},
      {"CR LF", "KV7100 fw.all bc.prg\r\nKC2100-NIC kc.ufi\r\n"},
      {"CR", "KV7100 fw.all bc.prg\rKC2100-NIC kc.ufi\r"},
      {"CR, last line unended", "KV7100 fw.all bc.prg\rKC2100-NIC kc.ufi"},
      {"mixed", "KV7100 fw.all bc.prg\rKC2100-NIC kc.ufi\n"},
      {"UTF-8 BOM", "\xEF\xBB\xBFKV7100 fw.all bc.prg\nKC2100-NIC kc.ufi\n"},
      {"UTF-8 BOM, CR LF", "\xEF\xBB\xBFKV7100 fw.all bc.prg\r\nKC2100-NIC kc.ufi\r\n"},
      {"UTF-16 LE", utf16(table, true)},
      {"UTF-16 BE", utf16(table, false)},
      {"UTF-16 LE, LF", utf16(u"KV7100 fw.all bc.prg\nKC2100-NIC kc.ufi", true)},
      {"UTF-16 LE, half a character at the end", utf16(table, true) + "K"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    for (bool hyphen : {false, true}) {
      std::vector<FwmatrixLine> lines = readAll(c.content, hyphen);
      ASSERT_EQ(lines.size(), 2u);
      EXPECT_STREQ(lines[0].leadingToken.text.c_str(), "KV7100");
      ASSERT_EQ(lines[0].columnCount, 3u);
      EXPECT_STREQ(lines[0].columns[1].text.c_str(), "fw.all");
      EXPECT_STREQ(lines[0].columns[2].text.c_str(), "bc.prg");
      EXPECT_STREQ(lines[1].leadingToken.text.c_str(), hyphen ? "KC2100" : "KC2100-NIC");
      ASSERT_EQ(lines[1].columnCount, 2u);
      EXPECT_STREQ(lines[1].columns[1].text.c_str(), "kc.ufi");
      EXPECT_FALSE(lines[0].unusable);
      EXPECT_FALSE(lines[1].unusable);
    }
  }
}

// Lines that are empty or carry a byte order mark anywhere but at the start.
TEST(FwmatrixLine, LineEndsAndMarksThatAreNotWhatTheySeem) {
  struct Case {
    const char* label;
    std::string content;
    std::vector<std::string> tokens;
  };
  const Case cases[] = {
      {"CR CR is two lines", "A\r\rB\n", {"A", "", "B"}},
      {"LF CR is two line ends", "A\n\rB\n", {"A", "", "B"}},
      {"CR LF LF", "A\r\n\nB", {"A", "", "B"}},
      {"a mark inside the file is text", "A\n\xEF\xBB\xBF" "B\n", {"A", ""}},
      {"half a UTF-8 mark", "\xEF\xBBKV7100\n", {""}},
      {"a UTF-16 mark alone", "\xFF\xFE", {}},
      {"a UTF-8 mark alone", "\xEF\xBB\xBF", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    std::vector<FwmatrixLine> lines = readAll(c.content, false);
    ASSERT_EQ(lines.size(), c.tokens.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
      EXPECT_EQ(lines[i].leadingToken.text.c_str(), c.tokens[i]) << i;
    }
  }
}

// A UTF-16 character beyond ASCII makes its line unusable (names are ASCII);
// the other lines stay as they are, and nothing is read beyond the file.
TEST(FwmatrixLine, Utf16CharactersBeyondAsciiMakeTheirLineUnusable) {
  for (bool littleEndian : {true, false}) {
    SCOPED_TRACE(littleEndian ? "LE" : "BE");
    std::vector<FwmatrixLine> lines = readAll(
        utf16(u"KV7100\u00e9 fw.all\r\nKV7200 f\u20acw.all\r\nKV7300 fw.all\r\n\xD800\r\n",
              littleEndian),
        false);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_TRUE(lines[0].unusable);
    EXPECT_STREQ(lines[0].leadingToken.text.c_str(), "KV7100");
    EXPECT_TRUE(lines[1].unusable);
    EXPECT_FALSE(lines[2].unusable);
    EXPECT_STREQ(lines[2].leadingToken.text.c_str(), "KV7300");
    EXPECT_STREQ(lines[2].columns[1].text.c_str(), "fw.all");
    EXPECT_TRUE(lines[3].unusable);  // half of a surrogate pair
  }
}

}  // namespace
}  // namespace vornup
